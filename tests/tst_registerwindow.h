#pragma once

// The record form of the register window: navigation, edit modes, store and discard, the buyer
// and authority fills, the address panels, the step box, the sort choice and the re-layout. The
// cases are split over three files: navigation and modes, editing and storing, fills and panels.
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "widgets/DBGrid.h"

#include "window/Binding.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace registerwindowtest {

// Partner rows as the store compares them: the permit columns of every partner.
inline const QString kPartners = QStringLiteral(
    R"(SELECT group_concat(quote("Index") || ',' || quote("EWB") || ',' || quote("EWBNR") || ',' ||
       quote("EWBDatum") || ',' || quote("JDatum") || ',' || quote("EWBAmt") || ',' || quote("KAmt"), ';')
       FROM "Kaufer")");

inline QString permitOf(int vorgang) {
    return QStringLiteral(R"(SELECT "Kaufer", "EWB", "EWBNR", "AmtDatum", "JDatum", "Amt", "KauferAmt"
                             FROM "Vorgang" WHERE "Index" = %1)")
        .arg(vorgang);
}

inline QString partnerPermit(int partner) {
    return QStringLiteral(R"(SELECT "EWB", "EWBNR", "EWBDatum", "JDatum", "EWBAmt", "KAmt"
                             FROM "Kaufer" WHERE "Index" = %1)")
        .arg(partner);
}

inline QVariantList values(std::initializer_list<QVariant> list) {
    return QVariantList(list);
}

inline const QVariant null;

inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

// The user picks an entry: the box takes the focus (so a line edit left behind is written), then
// the entry is chosen.
inline void choose(QComboBox* box, const QString& text) {
    box->setFocus();
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

} // namespace registerwindowtest
using namespace registerwindowtest;

class TestRegisterWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() { finishRun(run); }

    void fastForwardAndRewindWalk();
    void noMoveAtTheEnds();
    void commandsOnEmptyOrClosedRegister_data();
    void commandsOnEmptyOrClosedRegister();
    void appendThenDiscard();
    void appendChooseBuyerThenDiscard();
    void editChooseBuyerThenDiscard();
    void newRowStoredUntouched();
    void storeCopiesPermitToBuyer();
    void storeWithDeletedBuyer();
    void buyerFillCopiesPartnerPermit();
    void buyerBoxReadOnlyWhenBrowsing();
    void authorityFillOverwritesBuyerAuthority();
    void addressPanels();
    void editModeLocksTheWindow_data();
    void editModeLocksTheWindow();
    void sortChoice();
    void refusedSortFallsBackToWholeRegister_data();
    void refusedSortFallsBackToWholeRegister();
    void stepBox();
    void resizeAlignsAuthorityBoxes();
    void datesTypedAsText();
    void invalidDateKeptUntilStore();
    void overlongSerialNumber();

private:
    bool start();
    QToolButton* button(int n) const;
    void click(int n) const { QTest::mouseClick(button(n), Qt::LeftButton); }
    TFormMain& w() const { return run->main(); }
    Dataset& reg() const { return run->reg(); }
    int shownIndex() const { return w().DBText_Index->text().toInt(); }
    QStringList lines(const char* panel) const;
    bool inBrowseMode() const;
    bool inEditMode() const;

    std::unique_ptr<AppRun> run;
};
