#pragma once

#include "widgets/MasterDialog.h"

#include <QCheckBox>
#include <array>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;
namespace Ui {
class TFormOptions;
}

// The options dialog. Its six tick boxes are the live option state that the rest of the
// program reads; its seven sample panels hold the thirteen colour slots, which the windows take
// at OK.
class TFormOptions : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormOptions(Forms& forms, QWidget* parent = nullptr);
    ~TFormOptions() override;

    QCheckBox* Check_Verbinden;
    QCheckBox* Check_TabEdit;
    QCheckBox* Check_Sicherung;
    QCheckBox* Check_SubTabs;
    QCheckBox* Check_DruckIndex;
    QCheckBox* Check_ProgEnde;
    QPushButton* BitBtn_OptOK;
    QPushButton* BitBtn_OptESC;
    QPushButton* BitBtn_Farbwahl;
    QGroupBox* Radio_Farben;
    // The sample panels: PanelMain, PanelHead, PanelFormular, PanelEdit, PanelTool, PanelTab,
    // PanelTabTitel.
    std::array<QLabel*, 7> samplePanels() const;

    static constexpr int kSlotCount = 13;
    static const std::array<QString, kSlotCount>& slotTexts();
    int slotColour(int slot) const { return m_slots.at(std::size_t(slot)); }
    // Puts a colour into a slot and shows it on its sample panel.
    void setSlotColour(int slot, int colour);
    // The slot whose radio item is selected.
    int selectedSlot() const;
    void setSelectedSlot(int slot);

    void FormActivate() override;
    void BitBtn_FarbwahlClick();
    void BitBtn_OptOKClick();
    void BitBtn_OptESCClick();
    void reject() override;

private:
    void showSlot(int slot);
    std::unique_ptr<Ui::TFormOptions> ui;
    QButtonGroup* m_radios;
    std::array<int, kSlotCount> m_slots;
    // The colour dialog starts from the colour chosen last in it (black the first time).
    int m_lastChosen = 0;
    // The boxes as they were when the dialog opened, for a cancel without a settings row.
    std::array<bool, 6> m_openedWith{};
};
