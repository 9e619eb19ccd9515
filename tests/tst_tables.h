#pragma once

// The table page: the eight grids on the shared datasets, title-click sorting, the register
// grid's editing switch, the deletion question and the deletion record of register rows. The
// cases are split over two files: grids and sorting; editing in the grids and deleting.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "settings/TFormOptions.h"
#include "store/DeletionLog.h"
#include "store/Schema.h"
#include "widgets/DBGrid.h"
#include "window/Binding.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void pagesAndColumns();
    void gridAndDatasetShareTheCurrentRow();
    void registerTitleClick_data();
    void registerTitleClick();
    void titleClickWhileResultsShown();
    void titleClickAfterColumnMove();
    void partnerTitleClick_data();
    void partnerTitleClick();
    void partnerSortReordersPickLists();
    void registerGridFollowsOption_data();
    void registerGridFollowsOption();
    void cellChangeIsPosted();
    void lookupCellChosenFromList();
    void countryGridStoresWithoutIndex();
    void deletionAsksFirst_data();
    void deletionAsksFirst();
    void deletionRecordHoldsEveryColumn();
    void refusedDeletionLeavesNoRecord();
    void untouchedNewRowDroppedOnLeaving();
    void pendingCellStoredBeforeDisconnect();

private:
    bool start() {
        if (!run->login() || !run->activate())
            return false;
        w().PgCtrl->setCurrentWidget(w().TS_Tabellen);
        return true;
    }
    TFormMain& w() const { return run->main(); }
    Dataset& reg() const { return run->reg(); }
    DBGrid* grid(const QString& name) const { return w().findChild<DBGrid*>(name); }
    void allowRegisterEditing(bool on) const {
        run->app->forms.FormOptions->Check_TabEdit->setChecked(on);
        w().ApplyRegisterGridEditing();
    }
    // A click on the title of the column standing at `position`.
    static void clickTitle(DBGrid* g, int position) {
        QHeaderView* h = g->horizontalHeader();
        g->scrollTo(g->model()->index(0, h->logicalIndex(position)));
        const int logical = h->logicalIndex(position);
        const QPoint at(h->sectionViewportPosition(logical) + h->sectionSize(logical) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }
    static void showGrid(TFormMain& w, DBGrid* g) {
        w.PgCtrl_Tab->setCurrentWidget(g->parentWidget());
        g->setFocus();
    }
    // Types into the grid's current cell as the user does: F2 opens the cell (when the grid
    // takes input), the text, Return stores it into the row.
    static void typeIntoCell(DBGrid* g, const QString& text) {
        QTest::keyClick(g, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor) {
            QTest::keyClicks(g, text);
            return;
        }
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The cell is stored once the key has been handled.
        QCoreApplication::processEvents();
    }
    QList<int> registerOrder() const {
        QList<int> order;
        for (int r = 0; r < reg().recordCount(); ++r)
            order << reg().valueAt(r, reg().fieldIndex(u"Index"_s)).toInt();
        return order;
    }

    std::unique_ptr<AppRun> run;
};
