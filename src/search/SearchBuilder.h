#pragma once

#include <QString>
#include <array>

// The search statement: sixteen criteria of the search dialog turned into one Jet SELECT over the
// register, and the date conversion it uses. No widget in here; the dialog hands its ticks and
// texts over as a SearchCriteria.
namespace search {

inline constexpr int kCriteriaCount = 16;

// Criterion numbers, in the order of the dialog's check list.
enum Criterion {
    KDatum = 0,
    VDatum = 1,
    EWBDatum = 2,
    JDatum = 3,
    BriefDatum = 4,
    Kaufer = 5,
    Verkaufer = 6,
    WTyp = 7,
    Kaliber = 8,
    Amt = 9,
    EWB = 10,
    KauferAmt = 11,
    EWBNR = 12,
    Fabrik = 13,
    SerienNr = 14,
    Notiz = 15,
};

struct SearchCriteria {
    std::array<bool, kCriteriaCount> ticked{};
    std::array<QString, kCriteriaCount> texts;
    bool exact = false; // "Nach exakten Begriffen suchen"

    bool anyTicked() const;
    void set(int criterion, const QString& text) {
        ticked[std::size_t(criterion)] = true;
        texts[std::size_t(criterion)] = text;
    }
};

bool isDateCriterion(int criterion);
bool isListCriterion(int criterion);

// The complete statement (register column list, FROM part, condition, ");"); empty when nothing
// is ticked. Throws DbError from GermanDateToSqlDate for a date that cannot be converted, and
// for a search text holding a control character.
QString buildSearchStatement(const SearchCriteria& criteria);

// Longest statement the results view runs; a stored one beyond it is refused unread.
inline constexpr int kMaxStatementLength = 32768;

// Throws jet::SyntaxError unless `statement` is something the results view may run: a search
// selecting exactly the register columns of Vorgang, or the whole register ("select * from
// Vorgang"). Keeps an edited settings row from running anything else.
void requireSearchStatement(const QString& statement);

} // namespace search

// "dd.mm.yyyy" (blanks allowed before the digits of each part) to "m/d/yyyy" for a Jet date
// literal. Throws DbError "''<part>'' ist kein gültiger Integer-Wert" for a part that is not a
// number from 0 to 65535, or for a text without two points. Not checked against the calendar.
QString GermanDateToSqlDate(const QString& german);
