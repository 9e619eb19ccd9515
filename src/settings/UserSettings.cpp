#include "settings/UserSettings.h"

#include "common/Forms.h"
#include "common/Konst.h"
#include "settings/TFormOptions.h"
#include "store/TDatMod.h"
#include "window/TFormMain.h"

#include <algorithm>

namespace UserSettings {

void LoadUserSettings(Forms& forms) {
    TFormMain& main = *forms.FormMain;
    TFormOptions& options = *forms.FormOptions;
    const Dataset& user = *forms.DatMod->ATab_User;
    auto i = [&](const char* column) { return user.asInteger(QString::fromLatin1(column)); };
    auto b = [&](const char* column) { return user.asBoolean(QString::fromLatin1(column)); };

    main.setGeometry(i("Links"), i("Oben"), std::max(i("Breit"), main.minimumWidth()),
                     std::max(i("Hoch"), main.minimumHeight()));
    if (b("WinState"))
        main.showMaximized();
    Konst::SavedFilter = user.asString(QStringLiteral("SFilter"));
    Konst::CurrentIndex = i("Aktuell");
    for (int slot = 0; slot < TFormOptions::kSlotCount; ++slot)
        options.setSlotColour(slot,
                              user.asInteger(QStringLiteral("Farbe%1").arg(slot, 2, 10, QLatin1Char('0'))));
    options.Check_Verbinden->setChecked(b("CheckConnect"));
    options.Check_TabEdit->setChecked(b("CheckTabChange"));
    options.Check_Sicherung->setChecked(b("CheckDataSave"));
    options.Check_SubTabs->setChecked(b("CheckSubTab"));
    options.Check_DruckIndex->setChecked(b("CheckDruckSort"));
    options.Check_ProgEnde->setChecked(b("CheckProgEnde"));
    Konst::SpulStep = i("SpulSpeed");
    main.ApplyColourScheme();
}

void SaveUserSettings(Forms& forms) {
    TFormMain& main = *forms.FormMain;
    TFormOptions& options = *forms.FormOptions;
    Dataset& user = *forms.DatMod->ATab_User;
    Dataset& reg = *forms.DatMod->ASet_Vorgang;

    user.edit();
    const bool maximized = main.isMaximized();
    if (maximized)
        main.showNormal(); // the stored geometry is always the normal one
    user.setValue(QStringLiteral("WinState"), maximized);
    const QRect g = main.geometry();
    user.setValue(QStringLiteral("Oben"), g.top());
    user.setValue(QStringLiteral("Links"), g.left());
    user.setValue(QStringLiteral("Breit"), g.width());
    user.setValue(QStringLiteral("Hoch"), g.height());
    // Without a chosen order the stored one stays: -1 does not fit the column.
    if (main.Combo_Sort->currentIndex() >= 0)
        user.setValue(QStringLiteral("Sortierung"), main.Combo_Sort->currentIndex());
    user.setValue(QStringLiteral("SFilter"), Konst::SavedFilter);
    user.setValue(QStringLiteral("Aktuell"), reg.isActive() ? reg.asInteger(QStringLiteral("Index")) : 0);
    for (int slot = 0; slot < TFormOptions::kSlotCount; ++slot)
        user.setValue(QStringLiteral("Farbe%1").arg(slot, 2, 10, QLatin1Char('0')), options.slotColour(slot));
    user.setValue(QStringLiteral("CheckConnect"), options.Check_Verbinden->isChecked());
    user.setValue(QStringLiteral("CheckTabChange"), options.Check_TabEdit->isChecked());
    user.setValue(QStringLiteral("CheckDataSave"), options.Check_Sicherung->isChecked());
    user.setValue(QStringLiteral("CheckSubTab"), options.Check_SubTabs->isChecked());
    user.setValue(QStringLiteral("CheckDruckSort"), options.Check_DruckIndex->isChecked());
    user.setValue(QStringLiteral("CheckProgEnde"), options.Check_ProgEnde->isChecked());
    user.setValue(QStringLiteral("SpulSpeed"), Konst::SpulStep);
    try {
        user.post();
    } catch (...) {
        user.cancel();
        throw;
    }
}

} // namespace UserSettings
