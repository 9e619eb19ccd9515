#include "store/RegisterRules.h"

#include "common/DbError.h"
#include "store/Dataset.h"

#include <QScopeGuard>
#include <utility>

namespace RegisterRules {

namespace {

const QString kIndex = QStringLiteral("Index");

} // namespace

bool locateBuyer(const Dataset& reg, Dataset& partners) {
    const int buyer = reg.asInteger(QStringLiteral("Kaufer"));
    return buyer >= 2 && partners.isActive() && partners.locate(kIndex, buyer);
}

const QStringList& placeholderKeyColumns() {
    static const QStringList columns = {QStringLiteral("Verkaufer"), QStringLiteral("Kaufer"),
                                        QStringLiteral("EWB"), QStringLiteral("Amt"),
                                        QStringLiteral("KauferAmt")};
    return columns;
}

void setPlaceholderKeys(Dataset& reg) {
    for (const QString& column : placeholderKeyColumns())
        reg.setValue(column, kPlaceholderKey);
}

namespace {
void writePermit(const Dataset& reg, Dataset& partners) {
    partners.edit();
    // The register row is stored already; on any failure the partner keeps what it had.
    auto undo = qScopeGuard([&] { partners.cancel(); });
    auto copyKey = [&](const char* from, const char* to) {
        const int key = reg.asInteger(QString::fromLatin1(from));
        if (key > 0)
            partners.setValue(QString::fromLatin1(to), key);
    };
    auto copyDate = [&](const char* from, const char* to) {
        const QDate date = reg.asDate(QString::fromLatin1(from));
        if (date.isValid())
            partners.setValue(QString::fromLatin1(to), date);
    };
    copyKey("EWB", "EWB");
    partners.setValue(QStringLiteral("EWBNR"), reg.value(QStringLiteral("EWBNR")));
    copyDate("AmtDatum", "EWBDatum");
    copyDate("JDatum", "JDatum");
    copyKey("Amt", "EWBAmt");
    copyKey("KauferAmt", "KAmt");
    partners.post();
    undo.dismiss();
}
} // namespace

bool copyPermitToBuyer(const Dataset& reg, Dataset& partners) {
    if (!locateBuyer(reg, partners))
        return false;
    try {
        writePermit(reg, partners);
    } catch (const DbError&) {
        // Most often another program changed the partner since it was read. The copy overwrites
        // the permit columns anyway: read the row again and write onto its current values.
        partners.refresh();
        if (!locateBuyer(reg, partners))
            throw;
        writePermit(reg, partners);
    }
    return true;
}

bool fillFromBuyer(Dataset& reg, Dataset& partners) {
    if (!locateBuyer(reg, partners))
        return false;
    const std::pair<const char*, const char*> copies[] = {{"EWB", "EWB"},           {"EWBNR", "EWBNR"},
                                                          {"EWBDatum", "AmtDatum"}, {"JDatum", "JDatum"},
                                                          {"EWBAmt", "Amt"},        {"KAmt", "KauferAmt"}};
    for (const auto& [from, to] : copies)
        reg.setValue(QString::fromLatin1(to), partners.value(QString::fromLatin1(from)));
    return true;
}

PartyAddress addressOf(const Dataset& reg, const QString& keyColumn, Dataset& list, PartyKind kind) {
    const int key = reg.asInteger(keyColumn);
    if (key <= 1 || !list.isActive())
        return {};
    // Moving the shared list dataset lets its grid follow, as the lookup box does; a list
    // being edited keeps its row.
    const bool found = list.isEditing() ? list.positionOfIndex(key) >= 0 : list.locate(kIndex, key);
    if (!found)
        return {};
    const bool partner = kind == PartyKind::Partner;
    const int pos = list.positionOfIndex(key);
    auto text = [&](const QString& column) { return list.textAt(pos, list.fieldIndex(column)); };
    const int postcode = list.valueAt(pos, list.fieldIndex(QStringLiteral("PLZ"))).toInt();
    return {text(QStringLiteral("Name")), text(QStringLiteral("Strasse")),
            partner || postcode != 0 ? QString::number(postcode) : QString(),
            text(partner ? QStringLiteral("Ort") : QStringLiteral("Stadt"))};
}

int countUnsold(const Dataset& reg) {
    return reg.countEqual(QStringLiteral("Kaufer"), kPlaceholderKey);
}

bool isInStock(const QVariant& buyerKey) {
    return !buyerKey.isNull() && buyerKey.toInt() == kPlaceholderKey;
}

} // namespace RegisterRules
