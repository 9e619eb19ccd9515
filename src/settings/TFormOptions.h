#pragma once

#include "widgets/MasterDialog.h"

#include <QCheckBox>
#include <array>

class QPushButton;

// The options dialog. Its six tick boxes are the live option state that the rest of the
// program reads; it also holds the thirteen colour slots.
class TFormOptions : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormOptions(Forms& forms, QWidget* parent = nullptr);

    QCheckBox* Check_Verbinden;
    QCheckBox* Check_TabEdit;
    QCheckBox* Check_Sicherung;
    QCheckBox* Check_SubTabs;
    QCheckBox* Check_DruckIndex;
    QCheckBox* Check_ProgEnde;
    QPushButton* BitBtn_OptOK;
    QPushButton* BitBtn_OptESC;

    static constexpr int kSlotCount = 13;
    int slotColour(int slot) const { return m_slots.at(std::size_t(slot)); }
    void setSlotColour(int slot, int colour) { m_slots.at(std::size_t(slot)) = colour; }

private:
    std::array<int, kSlotCount> m_slots;
};
