#pragma once

#include "store/JetTranslator.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <string>
#include <vector>

struct sqlite3_stmt;

// The rows a dataset read, stored column by column: integers, booleans and dates (as Julian
// days) as numbers, texts as UTF-8 in one arena per column. Building a QVariant per cell costs
// more than reading the database itself, so cells become QVariants only when asked for.
// Rows are addressed by their storage number (0-based, in the order they were added); a row
// that is read again gets its new texts appended to the arena.
class ColumnStore {
public:
    using Kind = jet::ColumnKind;
    struct TextRef {
        quint32 offset;
        quint32 length;
    };
    struct Column {
        QString name;
        Kind kind = Kind::Text;
        std::vector<qint32> ints; // integers, booleans, dates as Julian day
        std::vector<TextRef> texts;
        std::vector<bool> null; // one bit per cell
        std::string arena;
        bool unreadable = false; // a date cell held text that is no date (it reads as empty)
    };

    // Replaces the columns by those of the statement's result (names and declared types); no rows.
    // Columns equal to the present ones, or to those retired last, keep their memory for the rows
    // to come.
    void setup(sqlite3_stmt* stmt);
    // No columns and no rows, and their memory given back.
    void clear();
    // No columns and no rows; their memory stays for a setup with the same columns.
    void retire();
    // Room for `rows` rows (and a few more, for entries added after the read), and for as many
    // bytes of text per column as `textBytes` names
    // (by column name; what an earlier read held), so that a re-read grows nothing.
    void reserve(std::size_t rows, const QHash<QString, std::size_t>& textBytes = {});
    // Bytes of text held per text column, by column name.
    QHash<QString, std::size_t> textBytes() const;

    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return m_columns.empty() ? 0 : int(m_columns.front().null.size()); }
    const Column& column(int field) const { return m_columns[std::size_t(field)]; }
    // First column of that name (case-insensitive) among the first `limit` ones; -1 when none.
    int find(const QString& name, int limit) const;

    // A row of empty cells; its storage number.
    int addRow();
    // A row holding the statement's current result row; its storage number.
    int appendRow(sqlite3_stmt* stmt);
    // Overwrites a row with the statement's current result row. A statement with fewer columns
    // leaves the rest of the row as it was.
    void fillRow(sqlite3_stmt* stmt, int row);
    void dropLastRow();

    bool isNull(int row, int field) const { return column(field).null[std::size_t(row)] != 0; }
    // The number of an integer, boolean or date cell (0 when empty).
    qint32 number(int row, int field) const { return column(field).ints[std::size_t(row)]; }
    // Invalid QVariant when empty; int, bool, QDate or QString otherwise.
    QVariant value(int row, int field) const;
    QString text(int row, int field) const;
    // True when a text cell holds exactly these UTF-8 bytes (an empty cell holds none).
    bool textEquals(int row, int field, const QByteArray& utf8) const;
    // Removes from `rows` every row whose number in `field` is one of `sortedKeys` (ascending).
    void eraseRowsWithKeys(std::vector<int>& rows, int field, const std::vector<qint64>& sortedKeys) const;
    // Two rows by one column: empty first, texts in German order, numbers and dates by value.
    int compare(int field, int a, int b) const;

    // "yyyy-MM-dd" (a time part after it is ignored) to a Julian day; 0 when it is no date.
    static qint32 parseIsoDate(const char* s, int n);

private:
    std::vector<Column> m_columns;
    std::vector<Column> m_spare; // retired columns, their memory kept
};
