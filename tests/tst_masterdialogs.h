#pragma once

// The master-data dialogs driven through the register window's add buttons and menu, with the
// prompts scripted. The cases are split over three files: list dialogs, partners and firm,
// authorities and countries.
#include "dialogs/TFormAmt.h"
#include "dialogs/TFormHaendler.h"
#include "dialogs/TFormHersteller.h"
#include "dialogs/TFormKaliber.h"
#include "dialogs/TFormWaffentyp.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "support/StoreHelpers.h"
#include "widgets/LookupComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace masterdialogs {

// Everything the dialogs could write: list sizes, register keys, the firm data.
inline const QString kSnapshot =
    uR"(SELECT (SELECT count(*) FROM "Waffentyp"), (SELECT count(*) FROM "Kaliber"),
    (SELECT count(*) FROM "Hersteller"), (SELECT count(*) FROM "Kaufer"), (SELECT count(*) FROM "Amt"),
    (SELECT group_concat(quote("Waffentyp") || quote("Kaliber") || quote("Hersteller") || quote("Verkaufer") ||
        quote("Kaufer") || quote("Amt") || quote("KauferAmt"), ';') FROM "Vorgang"),
    (SELECT "Firma" || '|' || "Strasse" || '|' || "Ort" FROM "Benutzer"))"_s;

inline bool germanSorted(const QStringList& list) {
    QCollator c(QLocale::German);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return std::is_sorted(list.begin(), list.end(),
                          [&](const QString& a, const QString& b) { return c(a, b); });
}

} // namespace masterdialogs
using namespace masterdialogs;

class TestMasterDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() {
        if (run) {
            if (shown)
                shown->hide();
            QVERIFY2(run->prompts.failures().isEmpty(), qPrintable(run->prompts.failures().join(u'\n')));
        }
        shown = nullptr;
        run.reset();
    }

    void namesPicturesAndTabOrder_data();
    void namesPicturesAndTabOrder();
    void listDuplicateRefused_data();
    void listDuplicateRefused();
    void listEntryStored_data();
    void listEntryStored();
    void emptyEntryStoredOnceThenRefused();
    void discardedEntryLeavesNothing();
    void overlongTextRefused_data();
    void overlongTextRefused();

    void partnerDuplicate_data();
    void partnerDuplicate();
    void partnerColumns_data();
    void partnerColumns();
    void partnerPostedFocusMoved_data();
    void partnerPostedFocusMoved();
    void partnerOnAppendedRowPostedAtOnce();
    void unconvertiblePostcodeRefused_data();
    void unconvertiblePostcodeRefused();
    void refusedRowKeepsTheNewEntry_data();
    void refusedRowKeepsTheNewEntry();
    void enterKeys();
    void partnerByKeyboardOnly();

    void firmAddressPacking_data();
    void firmAddressPacking();
    void firmDiscardThenPartnerMode();
    void firmDataWhileDisconnected();

    void authorityOrCountryMode_data();
    void authorityOrCountryMode();
    void authorityKeysPerOpener_data();
    void authorityKeysPerOpener();
    void countryPickList();
    void typingEndsCountryPick();
    void authorityDuplicateRefused();

    void coloursFromScheme();

private:
    // Logs in on the sample register; the dialogs are shown without a modal loop.
    bool start(const QString& moreSql = QString()) {
        return run->loginShowingDialogs(moreSql, [this](QDialog* d) { shown = d; });
    }
    // Edits register entry `index` (appends a row for 0) and presses the add button `opener`;
    // "M_Firma" runs the menu entry in browse mode instead.
    QDialog* open(const QString& opener, int index = 1) {
        shown = nullptr;
        if (opener == u"M_Firma"_s) {
            run->main().M_Firma->trigger();
            return activated();
        }
        if (!run->reg().isEditing()) {
            if (index == 0) {
                QTest::mouseClick(run->main().SpBtn[7], Qt::LeftButton);
            } else {
                run->reg().locate(u"Index"_s, index);
                QTest::mouseClick(run->main().SpBtn[9], Qt::LeftButton);
            }
        }
        QTest::mouseClick(run->main().findChild<QToolButton*>(opener), Qt::LeftButton);
        return activated();
    }
    // The shown dialog as the active window (where keys and the focus go).
    QDialog* activated() const {
        if (shown) {
            shown->activateWindow();
            if (!QTest::qWaitFor([this] { return shown->isActiveWindow(); }, 2000))
                qWarning("dialog not active");
        }
        return shown;
    }
    template <class T = QLineEdit> T* ctl(const QString& name) const {
        T* c = shown ? shown->findChild<T*>(name) : nullptr;
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    void set(const QString& box, const QString& text) const { ctl(box)->setText(text); }
    void press(const QString& button) const { QTest::mouseClick(ctl<QPushButton>(button), Qt::LeftButton); }
    QVariantList snapshot() const { return run->folder.row(kSnapshot); }
    QVariant stored(const QString& column, int index) const {
        return run->folder.value(
            uR"(SELECT "%1" FROM "Vorgang" WHERE "Index" = %2)"_s.arg(column).arg(index));
    }
    QVariantList lastRow(const QString& table, const QString& columns) const {
        return run->folder.row(uR"(SELECT %1 FROM "%2" ORDER BY "Index" DESC LIMIT 1)"_s.arg(columns, table));
    }
    TFormAmt* amt() const { return run->app->forms.FormAmt; }

    std::unique_ptr<AppRun> run;
    QDialog* shown = nullptr;
};
