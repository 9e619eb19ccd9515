#include "settings/UserSettings.h"

#include "store/Dataset.h"

#include <QScopeGuard>

namespace {

QString colourColumn(int slot) {
    return QStringLiteral("Farbe%1").arg(slot, 2, 10, QLatin1Char('0'));
}

} // namespace

const std::array<QString, UserSettings::kWidthColumns>& UserSettings::widthColumns() {
    static const std::array<QString, kWidthColumns> names = [] {
        std::array<QString, kWidthColumns> n;
        std::size_t k = 0;
        for (int i = 1; i <= 16; ++i)
            n[k++] = QStringLiteral("TabHandel%1").arg(i, 2, 10, QLatin1Char('0'));
        for (int i = 1; i <= 12; ++i)
            n[k++] = QStringLiteral("TabKaufer%1").arg(i, 2, 10, QLatin1Char('0'));
        for (const char* c : {"TabWtyp", "TabKaliber", "TabHersteller", "TabAmt01", "TabAmt02", "TabAmt03",
                              "TabAmt04", "TabEWB", "TabLand"})
            n[k++] = QString::fromLatin1(c);
        return n;
    }();
    return names;
}

UserSettings UserSettings::read(const Dataset& user) {
    auto i = [&](const char* column) { return user.asInteger(QString::fromLatin1(column)); };
    auto b = [&](const char* column) { return user.asBoolean(QString::fromLatin1(column)); };
    UserSettings s;
    s.geometry = QRect(i("Links"), i("Oben"), i("Breit"), i("Hoch"));
    s.maximized = b("WinState");
    s.sortOrder = i("Sortierung");
    s.savedFilter = user.asString(QStringLiteral("SFilter"));
    s.currentIndex = i("Aktuell");
    for (std::size_t k = 0; k < std::size_t(kWidthColumns); ++k)
        s.columnWidths[k] = user.asInteger(widthColumns()[k]);
    for (int slot = 0; slot < kColourSlots; ++slot)
        s.colours[std::size_t(slot)] = user.asInteger(colourColumn(slot));
    s.connectAtStart = b("CheckConnect");
    s.tableEditing = b("CheckTabChange");
    s.backupAtStart = b("CheckDataSave");
    s.copySubTables = b("CheckSubTab");
    s.printByIndex = b("CheckDruckSort");
    s.confirmExit = b("CheckProgEnde");
    s.spulSpeed = i("SpulSpeed");
    return s;
}

namespace {

// Stores what `fill` sets into the settings row as one change. The row is this program's own
// state: what another program wrote since the last read is read first, so that the save
// overwrites it instead of failing on the change. A refused store leaves the row unchanged.
template <typename Fill> void storeRow(Dataset& user, Fill fill) {
    if (!user.isEditing())
        user.refresh();
    user.edit();
    auto undo = qScopeGuard([&] { user.cancel(); });
    fill();
    user.post();
    undo.dismiss();
}

} // namespace

void UserSettings::write(Dataset& user) const {
    storeRow(user, [&] {
        user.setValue(QStringLiteral("WinState"), maximized);
        user.setValue(QStringLiteral("Oben"), geometry.top());
        user.setValue(QStringLiteral("Links"), geometry.left());
        user.setValue(QStringLiteral("Breit"), geometry.width());
        user.setValue(QStringLiteral("Hoch"), geometry.height());
        // -1 (no order chosen) does not fit the column.
        if (sortOrder && *sortOrder >= 0)
            user.setValue(QStringLiteral("Sortierung"), *sortOrder);
        user.setValue(QStringLiteral("SFilter"), savedFilter);
        user.setValue(QStringLiteral("Aktuell"), currentIndex);
        for (std::size_t k = 0; k < std::size_t(kWidthColumns); ++k)
            user.setValue(widthColumns()[k], columnWidths[k]);
        for (int slot = 0; slot < kColourSlots; ++slot)
            user.setValue(colourColumn(slot), colours[std::size_t(slot)]);
        setOptions(user);
        user.setValue(QStringLiteral("SpulSpeed"), spulSpeed);
    });
}

void UserSettings::writeOptions(Dataset& user) const {
    storeRow(user, [&] { setOptions(user); });
}

void UserSettings::setOptions(Dataset& user) const {
    user.setValue(QStringLiteral("CheckConnect"), connectAtStart);
    user.setValue(QStringLiteral("CheckTabChange"), tableEditing);
    user.setValue(QStringLiteral("CheckDataSave"), backupAtStart);
    user.setValue(QStringLiteral("CheckSubTab"), copySubTables);
    user.setValue(QStringLiteral("CheckDruckSort"), printByIndex);
    user.setValue(QStringLiteral("CheckProgEnde"), confirmExit);
}
