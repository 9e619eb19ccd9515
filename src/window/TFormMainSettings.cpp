// The register window's side of the settings row: what it and the options dialog apply at
// start-up and hand over at every save.
#include "common/Konst.h"
#include "settings/TFormOptions.h"
#include "settings/UserSettings.h"
#include "window/TFormMain.h"

#include <algorithm>

void TFormMain::LoadUserSettings() {
    const UserSettings s = UserSettings::read(*dm().ATab_User);
    TFormOptions& options = *m_forms.FormOptions;
    setGeometry(s.geometry.left(), s.geometry.top(), std::max(s.geometry.width(), minimumWidth()),
                std::max(s.geometry.height(), minimumHeight()));
    if (s.maximized)
        showMaximized();
    // Selected without running the sort: the start-up applies it once the register row is set.
    // None saved selects none; an order outside the list selects the first, so that the start
    // does not report a faulty statement.
    const int order = s.sortOrder.value_or(-1);
    Combo_Sort->setCurrentIndex(order < 0 ? -1 : order < Combo_Sort->count() ? order : 0);
    Konst::SavedFilter = s.savedFilter;
    Konst::CurrentIndex = s.currentIndex;
    for (int slot = 0; slot < UserSettings::kColourSlots; ++slot)
        options.setSlotColour(slot, s.colours[std::size_t(slot)]);
    options.Check_Verbinden->setChecked(s.connectAtStart);
    options.Check_TabEdit->setChecked(s.tableEditing);
    options.Check_Sicherung->setChecked(s.backupAtStart);
    options.Check_SubTabs->setChecked(s.copySubTables);
    options.Check_DruckIndex->setChecked(s.printByIndex);
    options.Check_ProgEnde->setChecked(s.confirmExit);
    Konst::SpulStep = s.spulSpeed;
    ApplyColourScheme();
}

void TFormMain::SaveUserSettings() {
    const TFormOptions& options = *m_forms.FormOptions;
    const Dataset& reg = *dm().ASet_Vorgang;
    UserSettings s;
    s.maximized = isMaximized();
    if (s.maximized)
        showNormal(); // the stored geometry is always the normal one
    s.geometry = geometry();
    if (Combo_Sort->currentIndex() >= 0)
        s.sortOrder = Combo_Sort->currentIndex();
    s.savedFilter = Konst::SavedFilter;
    s.currentIndex = reg.isActive() ? reg.asInteger(QStringLiteral("Index")) : 0;
    for (int slot = 0; slot < UserSettings::kColourSlots; ++slot)
        s.colours[std::size_t(slot)] = options.slotColour(slot);
    s.connectAtStart = options.Check_Verbinden->isChecked();
    s.tableEditing = options.Check_TabEdit->isChecked();
    s.backupAtStart = options.Check_Sicherung->isChecked();
    s.copySubTables = options.Check_SubTabs->isChecked();
    s.printByIndex = options.Check_DruckIndex->isChecked();
    s.confirmExit = options.Check_ProgEnde->isChecked();
    s.spulSpeed = Konst::SpulStep;
    s.write(*dm().ATab_User);
}
