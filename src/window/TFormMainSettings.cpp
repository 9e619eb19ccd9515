// The register window's side of the settings row: what it and the options dialog apply at
// start-up and hand over at every save.
#include "common/Konst.h"
#include "settings/TFormOptions.h"
#include "settings/UserSettings.h"
#include "widgets/DBGrid.h"
#include "window/TFormMain.h"

#include <algorithm>

namespace {

// How many leading columns of each grid (in the order of grids()) have a width in the settings
// row; the register's last column, the note, keeps its default width.
constexpr std::array<int, 8> kStoredColumns = {16, 12, 1, 1, 1, 4, 1, 1};

} // namespace

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
    // Widths by place: after the user moved a column, the width goes to whatever stands there.
    std::size_t k = 0;
    const QList<DBGrid*> all = grids();
    for (int g = 0; g < all.size(); ++g)
        for (int position = 0; position < kStoredColumns[std::size_t(g)]; ++position)
            all[g]->setColumnWidthAt(position, s.columnWidths[k++]);
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
    // The stored geometry is always the normal one. A window manager may change the state
    // later than showNormal() returns, so the normal geometry is taken from the window itself
    // rather than from the size it has at this moment.
    s.maximized = isMaximized();
    s.geometry = geometry();
    if (s.maximized) {
        if (normalGeometry().isValid())
            s.geometry = normalGeometry();
        showNormal();
    }
    if (Combo_Sort->currentIndex() >= 0)
        s.sortOrder = Combo_Sort->currentIndex();
    s.savedFilter = Konst::SavedFilter;
    s.currentIndex = reg.isActive() ? reg.asInteger(QStringLiteral("Index")) : 0;
    std::size_t k = 0;
    const QList<DBGrid*> all = grids();
    for (int g = 0; g < all.size(); ++g)
        for (int position = 0; position < kStoredColumns[std::size_t(g)]; ++position)
            s.columnWidths[k++] = all[g]->columnWidthAt(position);
    for (int slot = 0; slot < UserSettings::kColourSlots; ++slot)
        s.colours[std::size_t(slot)] = options.slotColour(slot);
    s.connectAtStart = options.Check_Verbinden->isChecked();
    s.tableEditing = options.Check_TabEdit->isChecked();
    s.backupAtStart = options.Check_Sicherung->isChecked();
    s.copySubTables = options.Check_SubTabs->isChecked();
    s.printByIndex = options.Check_DruckIndex->isChecked();
    s.confirmExit = options.Check_ProgEnde->isChecked();
    // A step typed beyond the box's range counts until the box is left; the box then holds it
    // within the range, and so does the settings row (whose column takes no larger number).
    s.spulSpeed = std::clamp(Konst::SpulStep, Spin_Spul->minimum(), Spin_Spul->maximum());
    s.write(*dm().ATab_User);
}
