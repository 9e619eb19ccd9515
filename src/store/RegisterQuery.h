#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The seventeen sort orders of the register: their names in the sort box, the FROM part of
// each query and the text the status bar shows for it.
namespace RegisterQuery {

inline constexpr int kSortCount = 17;

const QStringList& sortNames();
// The FROM part for a position, empty outside 0..16.
QString fromPart(int position);
// The full Jet text: the register column list followed by the FROM part.
QString sortQuery(int position);
// Status text of a position; empty outside 0..16.
QString statusText(int position);

// A statement that is exactly one of the sort queries, optionally with DESC after its order.
struct SortStatement {
    int position = -1;
    bool descending = false;
};
std::optional<SortStatement> recognise(const QString& statement);
// For a sort on a list table: the register column holding the list key; empty otherwise.
QString listKeyColumn(int position);

inline const QString kWholeRegister = QStringLiteral("select * from Vorgang");

} // namespace RegisterQuery
