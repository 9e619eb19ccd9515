#include "settings/TFormOptions.h"

#include "common/Forms.h"
#include "common/HandlerGuard.h"
#include "common/Prompts.h"
#include "settings/ColourScheme.h"
#include "settings/UserSettings.h"
#include "store/TDatMod.h"
#include "ui_TFormOptions.h"
#include "window/TFormMain.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

// The pictures live in static libraries: register them before the first use.
static void initOptionResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(widgets);
        Q_INIT_RESOURCE(settings);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

// Where each slot is held: the sample panel (index into samplePanels()) and whether it is the
// panel's background (else its font colour).
struct SlotPlace {
    int panel;
    bool background;
};
constexpr std::array<SlotPlace, TFormOptions::kSlotCount> kPlaces = {{{0, true},
                                                                      {0, false},
                                                                      {1, false},
                                                                      {2, true},
                                                                      {2, false},
                                                                      {3, true},
                                                                      {3, false},
                                                                      {4, true},
                                                                      {4, false},
                                                                      {5, true},
                                                                      {5, false},
                                                                      {6, true},
                                                                      {6, false}}};

} // namespace

const std::array<QString, TFormOptions::kSlotCount>& TFormOptions::slotTexts() {
    static const std::array<QString, kSlotCount> texts = {
        QStringLiteral("Hauptfenster Back"),   QStringLiteral("Hauptfenster Font"),
        QStringLiteral("Hauptfenster Head"),   QStringLiteral("Panel Formular Back"),
        QStringLiteral("Panel Formular Font"), QStringLiteral("Editfelder Back"),
        QStringLiteral("Editfelder Font"),     QStringLiteral("Tool-Fenster Back"),
        QStringLiteral("Tool-Fenster Font"),   QStringLiteral("Tabellen Back"),
        QStringLiteral("Tabellen Font"),       QStringLiteral("Tabellentitel Back"),
        QStringLiteral("Tabellentitel Font")};
    return texts;
}

TFormOptions::TFormOptions(Forms& forms, QWidget* parent)
    : MasterDialog(QStringLiteral("FormOptions"), parent), ui(std::make_unique<Ui::TFormOptions>()),
      // Design colours until the settings row is loaded: light window, black text, dark red headings.
      m_slots{0xF0F0F0, 0x000000, 0x000080, 0xE8E8E8, 0x000000, 0xFFFFFF, 0x000000,
              0xF0F0F0, 0x000000, 0xFFFFFF, 0x000000, 0xD8D8D8, 0x000000} {
    m_forms = &forms;
    initOptionResources();
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormOptions"));
    // Font in pixels, as the design gives it; a .ui file only holds points.
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(15);
    setFont(f);
    setFixedSize(623, 529);
    setHeading(ui->Label_Titel);
    Check_Verbinden = ui->Check_Verbinden;
    Check_TabEdit = ui->Check_TabEdit;
    Check_Sicherung = ui->Check_Sicherung;
    Check_SubTabs = ui->Check_SubTabs;
    Check_DruckIndex = ui->Check_DruckIndex;
    Check_ProgEnde = ui->Check_ProgEnde;
    BitBtn_OptOK = ui->BitBtn_OptOK;
    BitBtn_OptESC = ui->BitBtn_OptESC;
    BitBtn_Farbwahl = ui->BitBtn_Farbwahl;
    Radio_Farben = ui->Radio_Farben;
    setPictureButton(BitBtn_OptOK, QStringLiteral(":/widgets/icons/uebernehmen.svg"),
                     QStringLiteral("Übernehmen"));
    setPictureButton(BitBtn_OptESC, QStringLiteral(":/widgets/icons/verwerfen.svg"),
                     QStringLiteral("Verwerfen"));
    setPictureButton(BitBtn_Farbwahl, QStringLiteral(":/settings/icons/farbwahl.svg"),
                     QStringLiteral("Farbe auswählen"));
    BitBtn_Farbwahl->setIconSize(QSize(288, 22));
    for (QPushButton* b : {BitBtn_OptOK, BitBtn_OptESC})
        b->setIconSize(QSize(160, 30));
    m_radios = new QButtonGroup(this);
    const QList<QRadioButton*> radios = Radio_Farben->findChildren<QRadioButton*>();
    for (QRadioButton* r : radios)
        m_radios->addButton(r, r->objectName().right(2).toInt());
    for (QLabel* sample : {ui->PanelHead, ui->PanelTabTitel}) {
        QFont bold = sample->font();
        bold.setBold(true);
        sample->setFont(bold);
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        showSlot(slot);
    auto guardedClick = [this](QPushButton* b, void (TFormOptions::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { runGuarded(*m_forms->prompts, [this, handler] { (this->*handler)(); }); });
    };
    guardedClick(BitBtn_Farbwahl, &TFormOptions::BitBtn_FarbwahlClick);
    guardedClick(BitBtn_OptOK, &TFormOptions::BitBtn_OptOKClick);
    guardedClick(BitBtn_OptESC, &TFormOptions::BitBtn_OptESCClick);
}

TFormOptions::~TFormOptions() = default;

std::array<QLabel*, 7> TFormOptions::samplePanels() const {
    return {ui->PanelMain, ui->PanelHead, ui->PanelFormular, ui->PanelEdit,
            ui->PanelTool, ui->PanelTab,  ui->PanelTabTitel};
}

void TFormOptions::setSlotColour(int slot, int colour) {
    m_slots.at(std::size_t(slot)) = colour;
    showSlot(slot);
}

void TFormOptions::showSlot(int slot) {
    const SlotPlace place = kPlaces.at(std::size_t(slot));
    QLabel* panel = samplePanels()[std::size_t(place.panel)];
    const int value = m_slots[std::size_t(slot)];
    if (place.background) {
        ColourScheme::setColour(panel, QPalette::Window, ColourScheme::colourOf(value, QPalette::Window));
        // The head colour is seen on the main window's background.
        if (slot == 0)
            ColourScheme::setColour(ui->PanelHead, QPalette::Window,
                                    ColourScheme::colourOf(value, QPalette::Window));
    } else {
        ColourScheme::setColour(panel, QPalette::WindowText,
                                ColourScheme::colourOf(value, QPalette::WindowText));
    }
}

int TFormOptions::selectedSlot() const {
    return std::max(0, m_radios->checkedId());
}

void TFormOptions::setSelectedSlot(int slot) {
    if (QAbstractButton* b = m_radios->button(slot))
        b->setChecked(true);
}

void TFormOptions::FormActivate() {
    // The title sample shows the title colour the grids have now.
    if (m_forms->FormMain)
        setSlotColour(12, m_forms->FormMain->appliedTitleColour());
    showSlot(0);
    m_openedWith = {Check_Verbinden->isChecked(), Check_TabEdit->isChecked(),    Check_Sicherung->isChecked(),
                    Check_SubTabs->isChecked(),   Check_DruckIndex->isChecked(), Check_ProgEnde->isChecked()};
}

void TFormOptions::BitBtn_FarbwahlClick() {
    const std::optional<int> chosen = m_forms->prompts->chooseColour(m_lastChosen);
    if (!chosen)
        return;
    m_lastChosen = *chosen;
    // Only the sample changes; the windows take it at the next OK.
    setSlotColour(selectedSlot(), *chosen);
}

void TFormOptions::BitBtn_OptOKClick() {
    if (m_forms->FormMain)
        m_forms->FormMain->ApplyColourScheme();
    UserSettings s;
    s.connectAtStart = Check_Verbinden->isChecked();
    s.tableEditing = Check_TabEdit->isChecked();
    s.backupAtStart = Check_Sicherung->isChecked();
    s.copySubTables = Check_SubTabs->isChecked();
    s.printByIndex = Check_DruckIndex->isChecked();
    s.confirmExit = Check_ProgEnde->isChecked();
    // A refused post ends here: the dialog stays open and the register grid as it was.
    s.writeOptions(*m_forms->DatMod->ATab_User);
    if (m_forms->FormMain)
        m_forms->FormMain->ApplyRegisterGridEditing();
    accept();
}

void TFormOptions::BitBtn_OptESCClick() {
    // The options as the settings row holds them. Without the row (disconnected, the datasets
    // closed) it would read as six unticked boxes, which a later save would store: then the
    // boxes go back to how they were when the dialog opened.
    const Dataset* user = m_forms->DatMod ? m_forms->DatMod->ATab_User : nullptr;
    std::array<bool, 6> back = m_openedWith;
    if (user && user->isActive() && user->recNo() > 0) {
        const UserSettings s = UserSettings::read(*user);
        back = {s.connectAtStart, s.tableEditing, s.backupAtStart,
                s.copySubTables,  s.printByIndex, s.confirmExit};
    }
    const std::array<QCheckBox*, 6> boxes = {Check_Verbinden, Check_TabEdit,    Check_Sicherung,
                                             Check_SubTabs,   Check_DruckIndex, Check_ProgEnde};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(back[i]);
    QDialog::reject();
}

void TFormOptions::reject() {
    // Escape cancels like the cancel button.
    runGuarded(*m_forms->prompts, [this] { BitBtn_OptESCClick(); });
}
