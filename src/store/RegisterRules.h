#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class Dataset;

// Rules of the register that hold whatever window shows them: what a stored row gives its
// buyer, what a chosen buyer gives the row, the address of a party and the stock count.
namespace RegisterRules {

// The four address lines of a party as the record form shows them.
struct PartyAddress {
    QString name;
    QString street;
    QString postcode;
    QString town;
    bool operator==(const PartyAddress&) const = default;
};

enum class PartyKind { Partner, Authority };

// The key columns of a register row that hold the placeholder 1 while nothing is entered (for
// the buyer: while the weapon is in stock).
inline constexpr int kPlaceholderKey = 1;
const QStringList& placeholderKeyColumns();

// Sets the five key columns of a freshly appended register row to the placeholder 1.
void setPlaceholderKeys(Dataset& reg);

// Moves the partner dataset to the buyer of the register row; false for the placeholder buyer
// and for a buyer without a row.
bool locateBuyer(const Dataset& reg, Dataset& partners);

// Copies the permit data of the current (stored) register row into its buyer's partner row
// and posts it. Nothing happens for the placeholder buyer or a buyer without a row. Keys and
// dates are copied only when the row holds one; the permit number always. Returns whether a
// partner row was written; a failed post leaves the partner row as it was and rethrows.
bool copyPermitToBuyer(const Dataset& reg, Dataset& partners);

// Copies the chosen buyer's stored permit data into the register row being edited (an empty
// partner value empties the row's column). Returns false, changing nothing, for the
// placeholder buyer or a buyer without a row. Does not post.
bool fillFromBuyer(Dataset& reg, Dataset& partners);

// The address of the party whose key the register row holds in `keyColumn`, read from the
// partner or authority dataset (whose current row moves to it). Empty for a key of 1 or less
// and for a key without a row. A partner shows postcode 0 as "0", an authority as nothing.
PartyAddress addressOf(const Dataset& reg, const QString& keyColumn, Dataset& list, PartyKind kind);

// Weapons in stock: rows of the register dataset whose buyer is the placeholder 1.
int countUnsold(const Dataset& reg);
// Whether a row with this buyer key is counted by countUnsold: the placeholder, not an empty key.
bool isInStock(const QVariant& buyerKey);

} // namespace RegisterRules
