// The record commands of the register window: moving through the register, adding, editing,
// storing and discarding an entry, the sort choice and the buyer's permit data.
#include "common/Konst.h"
#include "common/Prompts.h"
#include "store/RegisterRules.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QScopeGuard>
#include <algorithm>

bool TFormMain::registerNavigable() const {
    // An empty or disconnected register has nowhere to go.
    const Dataset& reg = *dm().ASet_Vorgang;
    return reg.isActive() && !reg.isEditing() && reg.recordCount() > 0;
}

void TFormMain::moveRegisterTo(int position) {
    dm().ASet_Vorgang->setRecNo(position);
}

void TFormMain::SpBtn01Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != 1)
        moveRegisterTo(1);
}

void TFormMain::SpBtn02Click() {
    if (!registerNavigable())
        return;
    const int p = dm().ASet_Vorgang->recNo();
    if (p != 1)
        moveRegisterTo(std::max(1, p - Konst::SpulStep));
}

void TFormMain::SpBtn03Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != 1)
        dm().ASet_Vorgang->prior();
}

void TFormMain::SpBtn04Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != dm().ASet_Vorgang->recordCount())
        dm().ASet_Vorgang->next();
}

void TFormMain::SpBtn05Click() {
    if (!registerNavigable())
        return;
    const int p = dm().ASet_Vorgang->recNo(), n = dm().ASet_Vorgang->recordCount();
    if (p != n)
        moveRegisterTo(int(std::min<qint64>(n, qint64(p) + Konst::SpulStep)));
}

void TFormMain::SpBtn06Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != dm().ASet_Vorgang->recordCount())
        moveRegisterTo(dm().ASet_Vorgang->recordCount());
}

void TFormMain::SpBtn07Click() {
    // A closed register takes no new row; the form stays in browse mode.
    if (!dm().ASet_Vorgang->isActive())
        return;
    EnterEditMode();
    Konst::RecordEditing = true;
    Dataset& reg = *dm().ASet_Vorgang;
    m_edit.begin(reg, true);
    reg.append();
    RegisterRules::setPlaceholderKeys(reg);
}

void TFormMain::SpBtn09Click() {
    // Nothing to edit on an empty or closed register.
    if (!registerNavigable())
        return;
    EnterEditMode();
    Konst::RecordEditing = true;
    m_edit.begin(*dm().ASet_Vorgang, false);
    dm().ASet_Vorgang->edit();
}

void TFormMain::SpBtn10Click() {
    Dataset& reg = *dm().ASet_Vorgang;
    const auto leaveEdit = [this] {
        m_edit.end();
        EnterBrowseMode();
        Konst::RecordEditing = false;
    };
    DScr_Vorgang->commit();
    try {
        reg.post();
    } catch (const std::exception&) {
        // Stored, but not shown again: the edit is over all the same, so the window leaves it too.
        if (!reg.isEditing())
            leaveEdit();
        throw;
    }
    leaveEdit();
    CountUnsold(dm());
    UpdateStatusBar();
    // The entry is stored whatever happens to its buyer's row: say so when only that failed.
    try {
        RegisterRules::copyPermitToBuyer(reg, *dm().ATab_Kauf);
    } catch (const std::exception& ex) {
        m_prompts.errorBox(
            QStringLiteral("Der Eintrag wurde gespeichert, aber die Erwerbsberechtigung konnte "
                           "nicht beim Käufer eingetragen werden: %1")
                .arg(QString::fromUtf8(ex.what())));
    }
}

void TFormMain::SpBtn11Click() {
    Konst::RecordEditing = false;
    EnterBrowseMode();
    // Whatever was stored in between (a chosen buyer, a new list entry) is undone as well.
    if (m_edit.discard(*dm().ASet_Vorgang)) {
        CountUnsold(dm());
        UpdateStatusBar();
    }
    ShowPartyPanels();
}

void TFormMain::SpBtn12Click() {
    dm().ASet_Vorgang->refresh();
    CountUnsold(dm());
    UpdateStatusBar();
    ShowPartyPanels();
}

void TFormMain::SpBtn14Click() {
    setWindowState(WindowState::SortChoice);
    Combo_Sort->setFocus();
}

void TFormMain::Combo_SortChange() {
    EnterBrowseMode();
    // The panel stays disabled while the register is read again, and comes back even when the
    // sort fails.
    Panel_Formular->setEnabled(false);
    const auto enable = qScopeGuard([this] { Panel_Formular->setEnabled(true); });
    ApplyRegisterSort();
}

void TFormMain::DBLU_KauferChange() {
    if (!Konst::RecordEditing)
        return;
    Dataset& reg = *dm().ASet_Vorgang;
    if (!RegisterRules::locateBuyer(reg, *dm().ATab_Kauf))
        return;
    DScr_Vorgang->commit();
    RegisterRules::fillFromBuyer(reg, *dm().ATab_Kauf);
    reg.post();
    reg.edit();
}

void TFormMain::DBLU_AmtChange() {
    Dataset& reg = *dm().ASet_Vorgang;
    reg.setValue(QStringLiteral("KauferAmt"), reg.value(QStringLiteral("Amt")));
}

void TFormMain::Spin_SpulChange() {
    bool ok = false;
    const int typed = Spin_Spul->editor()->text().toInt(&ok);
    Konst::SpulStep = ok ? typed : Spin_Spul->minimum();
}
