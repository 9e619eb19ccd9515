#pragma once

// The settings row as the register window loads and saves it, the options dialog and the
// colour scheme. The cases are split over two files: the settings row; the dialog and the colours.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "settings/ColourScheme.h"
#include "settings/TFormOptions.h"
#include "settings/UserSettings.h"
#include "widgets/DBGrid.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace optionstest {

// A distinct colour per slot, so that a control painted from the wrong slot shows.
inline int slotValue(int slot) {
    return ((slot + 1) * 0x0B1305) & 0xFFFFFF;
}

inline QColor slotColour(int slot) {
    return ColourScheme::colourOf(slotValue(slot), QPalette::Window);
}

} // namespace optionstest
using namespace optionstest;

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void settingsRoundTrip();
    void widthsFollowTheColumnPlace();
    void maximizedWindowStoresNormalGeometry();
    void smallStoredSizeGivesMinimum();
    void emptySettingsRow();
    void maximizedUnderWindowManager();

    void dialogLayout();
    void cancelRestoresOptions_data();
    void cancelRestoresOptions();
    void okStoresOptionsAndAdaptsGrid();
    void cancelWhileDisconnectedKeepsOptions();
    void refusedOkKeepsDialogOpen();
    void chosenColoursSurviveCancel();
    void slotZeroColoursTwoSamples();
    void colourDialogStartsFromLastChoice();
    void titleSampleShowsAppliedColour();
    void colourSchemePaints_data();
    void colourSchemePaints();

private:
    TFormMain& w() const { return run->main(); }
    TFormOptions& opts() const { return *run->app->forms.FormOptions; }
    // Opens the options dialog from its menu entry and lets `act` work in it; the dialog's result.
    int openOptions(const std::function<void(TFormOptions&)>& act) {
        int result = -1;
        run->app->runner.hook = [&](QDialog* d) {
            d->show();
            act(opts());
            result = d->isVisible() ? -1 : d->result();
            d->hide();
            return result;
        };
        w().M_OptionFenster->trigger();
        return result;
    }
    QVariantList settingsColumns(const QStringList& columns) const {
        QStringList quoted;
        for (const QString& c : columns)
            quoted << u'"' + c + u'"';
        return run->folder.row(u"SELECT "_s + quoted.join(u", "_s) + u" FROM \"Benutzer\""_s);
    }

    std::unique_ptr<AppRun> run;
};
