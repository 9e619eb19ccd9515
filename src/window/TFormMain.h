#pragma once

#include "common/Forms.h"
#include "search/ResultsView.h"
#include "store/RegisterEdit.h"
#include "store/TDatMod.h"
#include "window/SpulSpinBox.h"
#include "window/WindowState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <array>
#include <memory>

class AddressPanel;
namespace Ui {
class TFormMain;
}
class DataSource;
struct DialogColours;
class DateEdit;
class DBGrid;
class LookupComboBox;
class QAction;
class QActionGroup;
class QMenu;

// The register window: the record form with its address panels and toolbar, the table page,
// the menus and the status bar.
class TFormMain : public QMainWindow, public RegisterWindowPort, public SearchWindowPort {
    Q_OBJECT
public:
    // `prompts` asks the user, `runner` shows the dialogs; `forms` holds the dialogs this window
    // opens, which are created after it.
    TFormMain(Forms& forms, Prompts& prompts, DialogRunner& runner, QWidget* parent = nullptr);
    ~TFormMain() override;
    // Binds the record form to the data module once it exists (it is created after this window);
    // the window reaches the database only through it.
    void bindDataModule(TDatMod& datMod);

    // ---- shared procedures that work on this window
    void FillSortChoices();
    void ApplyRegisterSort() override;
    void UpdateStatusBar() override;
    void ShowPartyPanels() override;
    void EnterBrowseMode();
    void EnterEditMode();
    // Puts every control of the window into what the state table says for `state`.
    void setWindowState(WindowState state);
    WindowState windowState() const { return m_state; }
    void ApplyColourScheme();
    // The register grid takes input only while the option "Ändern der Haupttabelle erlauben" is on.
    void ApplyRegisterGridEditing();
    // Title font colour of the grids as last applied (colour integer of slot 12).
    int appliedTitleColour() const { return m_appliedTitleColour; }
    void setStatusPanelText(int panel, const QString& text) override;
    // Reads the settings row into the window, the options dialog and the globals, then paints.
    void LoadUserSettings();
    // Hands the window's and the options' state to the settings row and posts it.
    void SaveUserSettings() override;
    QString statusPanelText(int panel) const;

    // ---- start and end
    // Folder the start-up takes as the application folder (the executable's by default).
    QString startFolder;
    void FormActivate();
    bool startupDone() const { return m_activated; }

    // ---- handlers
    void SpBtn01Click();
    void SpBtn02Click();
    void SpBtn03Click();
    void SpBtn04Click();
    void SpBtn05Click();
    void SpBtn06Click();
    void SpBtn07Click();
    void SpBtn09Click();
    void SpBtn10Click();
    void SpBtn11Click();
    void SpBtn12Click();
    void SpBtn14Click();
    void Combo_SortChange();
    void DBLU_KauferChange();
    void DBLU_AmtChange();
    void Spin_SpulChange();
    void FormResize();
    void M_EndeClick();
    void M_VerbindenClick();
    void M_TrennenClick();
    void M_SichernClick();
    void M_LadenClick();
    void M_OptionFensterClick();
    void M_HilfeIndexClick();
    // Search: the toolbar button and the results-only box (TFormMainSearch.cpp).
    void SpBtn13Click();
    void SpBtn16Click();
    void CheckBox_FilterClick();
    // Table page (TFormMainTables.cpp): sorting by a click on a column title.
    void DBGrid_VorgangTitleClick(int position);
    void DBGrid_PartnerTitleClick(int position);
    // The sort text a click on the partner grid's title at `position` sets; empty for none.
    static QString partnerSortText(int position);
    bool filterChecked() const override;
    void setFilterCheckedQuietly(bool checked) override;
    std::unique_ptr<ResultsView> Results;
    // Master-data dialogs: the add buttons of the record form and the firm data
    // (TFormMainMasterData.cpp). Bound once the dialogs exist.
    void bindMasterDialogs();
    void SB_TypClick();
    void SB_KaliberClick();
    void SB_HerstellerClick();
    void SB_VerkauferClick();
    void SB_KauferClick();
    void SB_AmtClick();
    void SB_KauferAmtClick();
    void M_FirmaClick();
    void ApplyMasterDialogColours(const DialogColours& colours);

    // ---- controls
    QTabWidget* PgCtrl;
    QWidget* TS_Formular;
    QWidget* TS_Tabellen;
    QFrame* Panel_Formular;
    QFrame* Panel_Navi;
    std::array<QLabel*, 5> StatusPanels{};

    DateEdit* DBEdit_KDatum;
    QLineEdit* DBEdit_SerienNr;
    LookupComboBox* DBLU_Typ;
    LookupComboBox* DBLU_Kaliber;
    LookupComboBox* DBLU_Hersteller;
    LookupComboBox* DBLU_Verkaufer;
    LookupComboBox* DBLU_Kaufer;
    LookupComboBox* DBLU_EWB;
    QLineEdit* DBEdit_EWBNR;
    DateEdit* DBEdit_EWBDatum;
    DateEdit* DBEdit_VDatum;
    DateEdit* DBEdit_VJgdSch;
    LookupComboBox* DBLU_Amt;
    LookupComboBox* DBLU_KauferAmt;
    QLineEdit* DBLU_Notiz;
    QLabel* DBText_Index;
    QLabel* DBText_BDatum;
    QLabel* Label_AmtLand;
    QLabel* Label_KauferAmt;
    QCheckBox* CheckBox_Filter;
    SpulSpinBox* Spin_Spul;
    QComboBox* Combo_Sort;
    std::array<QToolButton*, 17> SpBtn{}; // SpBtn[1] .. SpBtn[16]
    QToolButton* SB_Typ;
    QToolButton* SB_Kaliber;
    QToolButton* SB_Hersteller;
    QToolButton* SB_Verkaufer;
    QToolButton* SB_Kaufer;
    QToolButton* SB_Amt;
    QToolButton* SB_KauferAmt;

    QMenu* M_Datenbank;
    QMenu* M_Optionen;
    QMenu* M_Hilfe;
    QAction* M_Verbinden;
    QAction* M_Trennen;
    QAction* M_Sichern;
    QAction* M_Laden;
    QAction* M_NeueDatenbank;
    QAction* M_AlteDatenbank;
    QAction* M_Ende;
    QAction* M_OptionFenster;
    QAction* M_Firma;
    QAction* M_HilfeIndex;

    // The table page and its eight grids, each on the shared dataset of its data source.
    QTabWidget* PgCtrl_Tab;
    QWidget* TS_Vorgaenge; // object name TS_Vorgänge
    QWidget* TS_Handel;
    QWidget* TS_Typ;
    QWidget* TS_Kaliber;
    QWidget* TS_Hersteller;
    QWidget* TS_Amt;
    QWidget* TS_EWB;
    QWidget* TS_Land;
    DBGrid* DBGrid_Vorgang;
    DBGrid* DBGrid_Partner;
    DBGrid* DBGrid_Typen;
    DBGrid* DBGrid_Kaliber;
    DBGrid* DBGrid_Hersteller;
    DBGrid* DBGrid_Amt;
    DBGrid* DBGrid_EWB;
    DBGrid* DBGrid_Land;
    // The eight grids in the order of the settings row's width columns.
    QList<DBGrid*> grids() const;

    DataSource* DScr_Vorgang;
    DataSource* DScr_Kauf = nullptr;
    DataSource* DScr_Typ = nullptr;
    DataSource* DScr_Kaliber = nullptr;
    DataSource* DScr_Hersteller = nullptr;
    DataSource* DScr_Amt = nullptr;
    DataSource* DScr_EWB = nullptr;
    DataSource* DScr_Land = nullptr;
    DataSource* DScr_Geschlecht = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMenus();
    void buildShortcuts();
    void buildRecordForm();
    void buildAddressPanels(QWidget* page);
    void buildToolbar(QWidget* page);
    void buildStatusBar();
    void bindSearch();
    // Table page (TFormMainTables.cpp).
    void buildTablePage();
    void bindDataSources(TDatMod& datMod);
    void bindTables();
    void deleteRegisterRow();
    // Leaving the table page writes a changed row of its grids; false when one was refused.
    bool leaveTablePage();
    QWidget* buildRightSide();
    void guarded(const std::function<void()>& handler);
    // Asks for the login password; a wrong one ends the program. True when it was right.
    bool login();
    bool registerNavigable() const;
    void moveRegisterTo(int position);
    void fillAddress(AddressPanel& panel, const QString& keyColumn, bool partner);

    TDatMod& dm() const { return *m_datMod; }
    Forms& m_forms;
    Prompts& m_prompts;
    DialogRunner& m_runner;
    TDatMod* m_datMod = nullptr;
    bool m_activated = false;
    WindowState m_state = WindowState::Browse;
    RegisterEdit m_edit;
    bool m_loggedIn = false;
    std::array<AddressPanel*, 4> m_panels{};
    std::unique_ptr<Ui::TFormMain> ui;
    QList<QLabel*> m_captions;
    int m_appliedTitleColour = 0;
    int m_lastPage = 0;
};
