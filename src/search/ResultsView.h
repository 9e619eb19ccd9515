#pragma once

#include "search/SearchBuilder.h"

class Prompts;
class TDatMod;

// What the results view needs of the register window: the box "Nur Suchergebnisse anzeigen",
// the sort, the address panels and the status bar. The window implements it.
class SearchWindowPort {
public:
    virtual ~SearchWindowPort() = default;
    virtual bool filterChecked() const = 0;
    // Sets the box without running its handler (the results view runs it itself).
    virtual void setFilterCheckedQuietly(bool checked) = 0;
    virtual void ApplyRegisterSort() = 0;
    virtual void ShowPartyPanels() = 0;
    virtual void UpdateStatusBar() = 0;
};

// The results view behind "Nur Suchergebnisse anzeigen" and the search run that feeds it: the
// register dataset shows either the saved search statement or the whole register.
class ResultsView {
public:
    static inline const QString kRefused = QStringLiteral("Fehlerhafte Suchkriterien");
    static inline const QString kNotConnected =
        QStringLiteral("Keine Verbindung zur Datenbank. Bitte verbinden Sie zuerst über das Menü "
                       "\"Datenbank\".");

    ResultsView(TDatMod& datMod, SearchWindowPort& window, Prompts& prompts)
        : m_dm(datMod), m_window(window), m_prompts(prompts) {}

    // The box's handler, run on every change of its state. Throws when the statement is refused;
    // the box keeps its new state then.
    void CheckBox_FilterClick();
    // The user changed the box: a refused statement falls back to the whole register.
    void filterChangedByUser();
    // Sets the box from code and runs the handler at once when the state changes; a failure
    // reaches the caller.
    void setFilter(bool checked);

    // The search run of the search button. Throws DbError for a date that cannot be converted;
    // a statement the database refuses runs the fallback.
    void runSearch(const search::SearchCriteria& criteria);

private:
    // Back to the whole register on the row `returnIndex` after a refused statement.
    void fallback(int returnIndex);
    int currentRegisterIndex() const;

    TDatMod& m_dm;
    SearchWindowPort& m_window;
    Prompts& m_prompts;
};
