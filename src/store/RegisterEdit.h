#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

class Dataset;

// One edit of a register row, from "bearbeiten" or "hinzufügen" to "übernehmen" or "nicht
// übernehmen". Choosing a buyer or adding a list entry stores the row in between; a discard
// must still leave the register as it was before the edit began: a row appended in this edit
// is removed again, a row that existed gets back the values it had.
class RegisterEdit {
public:
    // Call before the dataset enters the edit state (`appended` for a new row).
    void begin(const Dataset& reg, bool appended);
    // Call after every post of the register row while the edit is open.
    void notePosted(const Dataset& reg);
    // The edit ended with a store: nothing is to be undone any more.
    void end() { *this = RegisterEdit(); }
    // Cancels the edit and undoes what the posts in between stored. Returns true when the
    // database was changed back.
    bool discard(Dataset& reg);

    bool isOpen() const { return m_open; }
    bool storedInBetween() const { return m_posted; }

private:
    bool m_open = false;
    bool m_appended = false;
    bool m_posted = false;
    int m_index = 0;
    int m_returnIndex = 0; // the row current when a new row was appended
    QStringList m_fields;
    QVector<QVariant> m_before;
};
