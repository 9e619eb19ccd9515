#include "search/ResultsView.h"

#include "common/Konst.h"
#include "common/Prompts.h"
#include "store/RegisterQuery.h"
#include "store/TDatMod.h"

int ResultsView::currentRegisterIndex() const {
    const Dataset& reg = *m_dm.ASet_Vorgang;
    return reg.isActive() && reg.recNo() > 0 ? reg.asInteger(QStringLiteral("Index")) : 0;
}

void ResultsView::CheckBox_FilterClick() {
    Dataset& reg = *m_dm.ASet_Vorgang;
    Konst::CurrentIndex = currentRegisterIndex();
    const bool ticked = m_window.filterChecked();
    // Without a saved search (none yet, or the whole register after a refused one) the view
    // shows the whole register and stays on the current row.
    const QString saved = Konst::SavedFilter.trimmed();
    const bool noSearch =
        saved.isEmpty() || saved.compare(RegisterQuery::kWholeRegister, Qt::CaseInsensitive) == 0;
    QString statement = RegisterQuery::kWholeRegister;
    if (ticked) {
        // A stored text that is no search is refused before anything is closed or run.
        if (!saved.isEmpty())
            statement = Konst::SavedFilter;
        search::requireSearchStatement(statement);
    }
    reg.close();
    reg.setCommandText(statement);
    reg.open();
    if (ticked && noSearch)
        reg.locate(QStringLiteral("Index"), Konst::CurrentIndex);
    if (!ticked) {
        reg.locate(QStringLiteral("Index"), Konst::CurrentIndex);
        m_window.ApplyRegisterSort();
    }
    m_window.ShowPartyPanels();
    CountUnsold(m_dm);
    m_window.UpdateStatusBar();
}

void ResultsView::filterChangedByUser() {
    if (!m_dm.isConnected()) {
        // Nothing to show without a connection; the box does not stay ticked.
        if (m_window.filterChecked()) {
            m_window.setFilterCheckedQuietly(false);
            m_prompts.message(kNotConnected);
        }
        return;
    }
    try {
        CheckBox_FilterClick();
    } catch (const DbError&) {
        if (!m_window.filterChecked())
            throw;
        // The register is never left closed behind a refused statement.
        fallback(Konst::CurrentIndex);
    }
}

void ResultsView::setFilter(bool checked) {
    if (m_window.filterChecked() == checked)
        return;
    m_window.setFilterCheckedQuietly(checked);
    CheckBox_FilterClick();
}

void ResultsView::runSearch(const search::SearchCriteria& criteria) {
    if (!m_dm.isConnected()) {
        m_prompts.message(kNotConnected);
        return;
    }
    setFilter(false);
    if (!criteria.anyTicked())
        return;
    Konst::CurrentIndex = currentRegisterIndex();
    Konst::SavedFilter.clear();
    // The results view overwrites CurrentIndex; the fallback returns to this row.
    const int returnIndex = Konst::CurrentIndex;
    Konst::SavedFilter = search::buildSearchStatement(criteria);
    try {
        setFilter(true);
    } catch (const DbError&) {
        fallback(returnIndex);
    }
}

void ResultsView::fallback(int returnIndex) {
    m_prompts.message(kRefused);
    Konst::SavedFilter = RegisterQuery::kWholeRegister;
    Dataset& reg = *m_dm.ASet_Vorgang;
    reg.close();
    reg.setCommandText(RegisterQuery::kWholeRegister);
    reg.open();
    setFilter(false);
    reg.locate(QStringLiteral("Index"), returnIndex);
}
