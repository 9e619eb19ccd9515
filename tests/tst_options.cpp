// The settings row as the register window loads and saves it, the options dialog and the
// colour scheme.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "settings/ColourScheme.h"
#include "settings/TFormOptions.h"
#include "settings/UserSettings.h"
#include "widgets/DBGrid.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A distinct colour per slot, so that a control painted from the wrong slot shows.
int slotValue(int slot) {
    return ((slot + 1) * 0x0B1305) & 0xFFFFFF;
}

QColor slotColour(int slot) {
    return ColourScheme::colourOf(slotValue(slot), QPalette::Window);
}

// Forwards to the scripted prompts and notes the colour each colour dialog started from.
class ColourStartRecorder : public Prompts {
public:
    explicit ColourStartRecorder(Prompts& inner) : m_inner(inner) {}
    QList<int> starts;
    void message(const QString& t) override { m_inner.message(t); }
    Answer yesNo(const QString& t, bool defaultNo) override { return m_inner.yesNo(t, defaultNo); }
    Answer yesNoCancel(const QString& t) override { return m_inner.yesNoCancel(t); }
    std::optional<QString> password(const QString& a, const QString& b) override {
        return m_inner.password(a, b);
    }
    std::optional<QString> input(const QString& a, const QString& b, const QString& c) override {
        return m_inner.input(a, b, c);
    }
    std::optional<int> chooseColour(int initial) override {
        starts << initial;
        return m_inner.chooseColour(initial);
    }
    void errorBox(const QString& t) override { m_inner.errorBox(t); }
    bool openFile(const QString& path) override { return m_inner.openFile(path); }

private:
    Prompts& m_inner;
};

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void settingsRoundTrip();
    void widthsFollowTheColumnPlace();
    void maximizedWindowStoresNormalGeometry();
    void smallStoredSizeGivesMinimum();
    void emptySettingsRow();
    void maximizedUnderWindowManager();

    void dialogLayout();
    void cancelRestoresOptions_data();
    void cancelRestoresOptions();
    void okStoresOptionsAndAdaptsGrid();
    void cancelWhileDisconnectedKeepsOptions();
    void refusedOkKeepsDialogOpen();
    void chosenColoursSurviveCancel();
    void slotZeroColoursTwoSamples();
    void colourDialogStartsFromLastChoice();
    void titleSampleShowsAppliedColour();
    void colourSchemePaints_data();
    void colourSchemePaints();

private:
    TFormMain& w() const { return run->main(); }
    TFormOptions& opts() const { return *run->app->forms.FormOptions; }
    // Opens the options dialog from its menu entry and lets `act` work in it; the dialog's result.
    int openOptions(const std::function<void(TFormOptions&)>& act) {
        int result = -1;
        run->app->runner.hook = [&](QDialog* d) {
            d->show();
            act(opts());
            result = d->isVisible() ? -1 : d->result();
            d->hide();
            return result;
        };
        w().M_OptionFenster->trigger();
        return result;
    }
    QVariantList settingsColumns(const QStringList& columns) const {
        QStringList quoted;
        for (const QString& c : columns)
            quoted << u'"' + c + u'"';
        return run->folder.row(u"SELECT "_s + quoted.join(u", "_s) + u" FROM \"Benutzer\""_s);
    }

    std::unique_ptr<AppRun> run;
};

// ---------------------------------------------------------------- settings row

void TestOptions::settingsRoundTrip() {
    QVERIFY(run->login());
    // Every width column gets a value of its own.
    QList<int> widths;
    int k = 0;
    const std::array<int, 8> stored = {16, 12, 1, 1, 1, 4, 1, 1};
    for (int g = 0; g < 8; ++g)
        for (int p = 0; p < stored[std::size_t(g)]; ++p) {
            w().grids().at(g)->setColumnWidthAt(p, 31 + k);
            widths << 31 + k++;
        }
    w().setGeometry(70, 90, 950, 720);
    w().Combo_Sort->setCurrentIndex(9);
    Konst::SavedFilter = u"select * from Vorgang"_s;
    QVERIFY(run->reg().locate(u"Index"_s, 3));
    for (int s = 0; s < 13; ++s)
        opts().setSlotColour(s, slotValue(s));
    opts().Check_Verbinden->setChecked(true);
    opts().Check_TabEdit->setChecked(true);
    opts().Check_Sicherung->setChecked(false);
    opts().Check_SubTabs->setChecked(false);
    opts().Check_DruckIndex->setChecked(true);
    opts().Check_ProgEnde->setChecked(false);
    Konst::SpulStep = 33;
    w().SaveUserSettings();

    QStringList widthNames;
    for (const QString& n : UserSettings::widthColumns())
        widthNames << n;
    QVariantList expectedWidths;
    for (int v : widths)
        expectedWidths << v;
    QCOMPARE(settingsColumns(widthNames), expectedWidths);
    QCOMPARE(settingsColumns({u"Links"_s, u"Oben"_s, u"Breit"_s, u"Hoch"_s, u"WinState"_s, u"Sortierung"_s,
                              u"SFilter"_s, u"Aktuell"_s, u"SpulSpeed"_s}),
             (QVariantList{70, 90, 950, 720, 0, 9, u"select * from Vorgang"_s, 3, 33}));
    QCOMPARE(settingsColumns({u"CheckConnect"_s, u"CheckTabChange"_s, u"CheckDataSave"_s, u"CheckSubTab"_s,
                              u"CheckDruckSort"_s, u"CheckProgEnde"_s}),
             (QVariantList{1, 1, 0, 0, 1, 0}));
    QVariantList colours;
    QStringList colourNames;
    for (int s = 0; s < 13; ++s) {
        colourNames << u"Farbe%1"_s.arg(s, 2, 10, QLatin1Char('0'));
        colours << slotValue(s);
    }
    QCOMPARE(settingsColumns(colourNames), colours);

    // Loading puts everything back.
    for (DBGrid* g : w().grids())
        for (int p = 0; p < g->model()->columnCount(); ++p)
            g->setColumnWidthAt(p, 5);
    for (int s = 0; s < 13; ++s)
        opts().setSlotColour(s, 0);
    opts().Check_TabEdit->setChecked(false);
    w().setGeometry(10, 10, 900, 800);
    w().LoadUserSettings();
    k = 0;
    for (int g = 0; g < 8; ++g)
        for (int p = 0; p < stored[std::size_t(g)]; ++p)
            QCOMPARE(w().grids().at(g)->columnWidthAt(p), widths.at(k++));
    QCOMPARE(w().DBGrid_Vorgang->columnWidthAt(16), 5); // the note keeps its width
    QCOMPARE(w().geometry(), QRect(70, 90, 950, 720));
    for (int s = 0; s < 13; ++s)
        QCOMPARE(opts().slotColour(s), slotValue(s));
    QVERIFY(opts().Check_TabEdit->isChecked() && !opts().Check_ProgEnde->isChecked());
    QCOMPARE(Konst::SpulStep, 33);
}

void TestOptions::widthsFollowTheColumnPlace() {
    QVERIFY(run->login());
    DBGrid* g = w().DBGrid_Vorgang;
    // "Käufer" dragged to place 3 with a width of its own: stored under place 3.
    g->horizontalHeader()->moveSection(7, 3);
    g->setColumnWidthAt(3, 211);
    QCOMPARE(g->horizontalHeader()->sectionSize(7), 211);
    w().SaveUserSettings();
    QCOMPARE(run->folder.value(uR"(SELECT "TabHandel04" FROM "Benutzer")"_s).toInt(), 211);
    // After a restart the columns stand in their design order; place 3 gets the width, whichever
    // column stands there.
    g->horizontalHeader()->moveSection(3, 7);
    g->setColumnWidthAt(3, 40);
    QCOMPARE(g->fieldAt(3), u"ViewKaliber"_s);
    w().LoadUserSettings();
    QCOMPARE(g->columnWidthAt(3), 211);
    QCOMPARE(g->horizontalHeader()->sectionSize(3), 211);
}

void TestOptions::maximizedWindowStoresNormalGeometry() {
    QVERIFY(run->login());
    w().setGeometry(60, 80, 900, 720);
    w().showMaximized();
    QVERIFY(w().isMaximized());
    w().SaveUserSettings();
    QVERIFY(!w().isMaximized());
    QCOMPARE(settingsColumns({u"WinState"_s, u"Links"_s, u"Oben"_s, u"Breit"_s, u"Hoch"_s}),
             (QVariantList{1, 60, 80, 900, 720}));
    // The next load maximizes; the normal geometry is the stored one.
    w().LoadUserSettings();
    QVERIFY(w().isMaximized());
    QCOMPARE(w().normalGeometry(), QRect(60, 80, 900, 720));
}

void TestOptions::smallStoredSizeGivesMinimum() {
    run->folder.sql(uR"(UPDATE "Benutzer" SET "Breit" = 300, "Hoch" = 200, "Links" = 5, "Oben" = 6)"_s);
    QVERIFY(run->login());
    QCOMPARE(w().geometry(), QRect(5, 6, 800, 700));
}

void TestOptions::emptySettingsRow() {
    QStringList empty = {u"Oben"_s,           u"Links"_s,          u"Breit"_s,        u"Hoch"_s,
                         u"WinState"_s,       u"Sortierung"_s,     u"SFilter"_s,      u"Aktuell"_s,
                         u"SpulSpeed"_s,      u"CheckDruckSort"_s, u"CheckSubTab"_s,  u"CheckDataSave"_s,
                         u"CheckTabChange"_s, u"CheckConnect"_s,   u"CheckProgEnde"_s};
    for (const QString& n : UserSettings::widthColumns())
        empty << n;
    for (int s = 0; s < 13; ++s)
        empty << u"Farbe%1"_s.arg(s, 2, 10, QLatin1Char('0'));
    QStringList sets;
    for (const QString& n : empty)
        sets << u'"' + n + u"\" = NULL"_s;
    run->folder.sql(u"UPDATE \"Benutzer\" SET "_s + sets.join(u", "_s));
    run->prompts.queueInput(AppRun::kPassword);
    QVERIFY(run->show());
    QTRY_VERIFY(!Konst::FirmDataMode);
    QCOMPARE(w().frameGeometry().topLeft(), QPoint(0, 0));
    QCOMPARE(w().size(), QSize(800, 700));
    QVERIFY(!w().isMaximized());
    QCOMPARE(w().Combo_Sort->currentText(), u"Index"_s);
    for (DBGrid* g : w().grids())
        QCOMPARE(g->columnWidthAt(0), 0);
    for (int s = 0; s < 13; ++s)
        QCOMPARE(opts().slotColour(s), 0);
    for (QCheckBox* b : {opts().Check_Verbinden, opts().Check_TabEdit, opts().Check_Sicherung,
                         opts().Check_SubTabs, opts().Check_DruckIndex, opts().Check_ProgEnde})
        QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
    QCOMPARE(w().Spin_Spul->value(), 2);
    QCOMPARE(w().statusPanelText(4), u"nicht verbunden"_s); // the option to connect is off
    QVERIFY(!w().DBGrid_Vorgang->canEdit());
}

void TestOptions::maximizedUnderWindowManager() {
    // Only a window manager maximizes for real; scripts/check-maximized.sh runs this under one.
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("needs an X server with a window manager (scripts/check-maximized.sh)");
    QVERIFY(run->login());
    const QRect normal = w().geometry();
    w().showMaximized();
    QTRY_VERIFY(w().isMaximized() && w().width() > normal.width());
    QTest::qWait(300);
    w().SaveUserSettings();
    QCOMPARE(settingsColumns({u"WinState"_s, u"Links"_s, u"Oben"_s, u"Breit"_s, u"Hoch"_s}),
             (QVariantList{1, normal.left(), normal.top(), normal.width(), normal.height()}));
    QTRY_VERIFY(!w().isMaximized());
    QTRY_COMPARE(w().size(), normal.size());
    // The next start comes up maximized and returns to the stored size.
    w().LoadUserSettings();
    QTRY_VERIFY(w().isMaximized());
    w().showNormal();
    QTRY_COMPARE(w().size(), normal.size());
}

// ---------------------------------------------------------------- options dialog

void TestOptions::dialogLayout() {
    QVERIFY(run->login());
    TFormOptions& o = opts();
    QCOMPARE(o.heading()->text(), u"Einstellungen"_s);
    const QList<QRadioButton*> items = o.Radio_Farben->findChildren<QRadioButton*>();
    QCOMPARE(items.size(), 13);
    for (int s = 0; s < 13; ++s)
        QCOMPARE(o.findChild<QRadioButton*>(u"Radio_Farben_%1"_s.arg(s, 2, 10, QLatin1Char('0')))->text(),
                 TFormOptions::slotTexts()[std::size_t(s)]);
    QCOMPARE(o.selectedSlot(), 0);
    QCOMPARE(o.samplePanels().size(), std::size_t(7));
    for (QLabel* p : o.samplePanels())
        QCOMPARE(p->text(), u"Schriftfarbe"_s);
    QVERIFY(o.samplePanels()[1]->font().bold() && o.samplePanels()[6]->font().bold());
    QCOMPARE(o.BitBtn_Farbwahl->size(), QSize(307, 25));
    QCOMPARE(o.BitBtn_OptOK->size(), QSize(200, 35));
    QVERIFY(o.BitBtn_OptOK->x() < o.BitBtn_OptESC->x());
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(o.BitBtn_Farbwahl), static_cast<QAbstractButton*>(o.BitBtn_OptOK),
          static_cast<QAbstractButton*>(o.BitBtn_OptESC)}) {
        QVERIFY(b->text().isEmpty());
        QVERIFY(!b->icon().isNull());
        QVERIFY(!b->accessibleName().isEmpty());
    }
    QCOMPARE(o.Check_DruckIndex->accessibleName(),
             u"Beim Druck des Waffenbuchs automatisch nach Index sortieren und Suchergebnisse ausschalten"_s);
    QCOMPARE(w().M_OptionFenster->shortcut(), QKeySequence(Qt::Key_F5));
}

void TestOptions::cancelRestoresOptions_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("column");
    QTest::newRow("Sicherheitsabfrage") << u"Check_ProgEnde"_s << u"CheckProgEnde"_s;
    QTest::newRow("Haupttabelle") << u"Check_TabEdit"_s << u"CheckTabChange"_s;
    QTest::newRow("Verbinden") << u"Check_Verbinden"_s << u"CheckConnect"_s;
}

void TestOptions::cancelRestoresOptions() {
    QFETCH(QString, box);
    QFETCH(QString, column);
    QVERIFY(run->login());
    auto* check = opts().findChild<QCheckBox*>(box);
    const bool before = check->isChecked();
    const int result = openOptions([&](TFormOptions& o) {
        check->click();
        o.BitBtn_OptESC->click();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(check->isChecked(), before);
    QCOMPARE(run->folder.value(u"SELECT \"%1\" FROM \"Benutzer\""_s.arg(column)).toBool(), before);
    QVERIFY(!w().DBGrid_Vorgang->canEdit());
    // Escape cancels the same way.
    openOptions([&](TFormOptions& o) {
        check->click();
        QTest::keyClick(&o, Qt::Key_Escape);
    });
    QCOMPARE(check->isChecked(), before);
    if (box == u"Check_ProgEnde"_s) {
        // Closing asks again.
        run->prompts.queueNo();
        w().close();
        QCOMPARE(run->prompts.texts(u"yesNo"_s), QStringList{u"Programm wirklich beenden?"_s});
    }
}

void TestOptions::okStoresOptionsAndAdaptsGrid() {
    QVERIFY(run->login());
    const int colour = run->folder.value(uR"(SELECT "Farbe09" FROM "Benutzer")"_s).toInt();
    const int result = openOptions([&](TFormOptions& o) {
        o.Check_TabEdit->click();
        o.Check_ProgEnde->click();
        o.setSlotColour(9, 0x00FF00);
        o.BitBtn_OptOK->click();
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(w().DBGrid_Vorgang->canEdit());
    QCOMPARE(w().DBGrid_Vorgang->options(), DBGrid::kEditableOptions);
    QCOMPARE(settingsColumns({u"CheckTabChange"_s, u"CheckProgEnde"_s, u"CheckConnect"_s}),
             (QVariantList{1, 0, 1}));
    // The colours are shown at once but stored only with the settings row.
    QCOMPARE(w().DBGrid_Vorgang->palette().color(QPalette::Base), QColor(0, 0xFF, 0));
    QCOMPARE(run->folder.value(uR"(SELECT "Farbe09" FROM "Benutzer")"_s).toInt(), colour);
    w().SaveUserSettings();
    QCOMPARE(run->folder.value(uR"(SELECT "Farbe09" FROM "Benutzer")"_s).toInt(), 0x00FF00);
}

void TestOptions::cancelWhileDisconnectedKeepsOptions() {
    QVERIFY(run->login());
    w().M_Trennen->trigger();
    QCOMPARE(w().statusPanelText(4), u"nicht verbunden"_s);
    openOptions([](TFormOptions& o) {
        o.Check_ProgEnde->click();
        o.Check_DruckIndex->click();
        o.BitBtn_OptESC->click();
    });
    // Without a settings row to read the boxes return to how they were, not to six empty ones.
    QVERIFY(opts().Check_ProgEnde->isChecked());
    QVERIFY(opts().Check_DruckIndex->isChecked());
    QVERIFY(opts().Check_Verbinden->isChecked());
    QVERIFY(opts().Check_Sicherung->isChecked() == false); // as AppRun stores it
}

void TestOptions::refusedOkKeepsDialogOpen() {
    QVERIFY(run->login());
    run->folder.sql(
        uR"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Benutzer" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"_s);
    bool stillOpen = false;
    openOptions([&](TFormOptions& o) {
        o.Check_TabEdit->click();
        o.BitBtn_OptOK->click();
        stillOpen = o.isVisible();
    });
    QVERIFY(stillOpen);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(!w().DBGrid_Vorgang->canEdit());
    QVERIFY(!run->dm().ATab_User->isEditing());
}

void TestOptions::chosenColoursSurviveCancel() {
    QVERIFY(run->login());
    const QColor gridBefore = w().DBGrid_Vorgang->palette().color(QPalette::Base);
    run->prompts.queueColour(0x0000FF);
    openOptions([](TFormOptions& o) {
        o.setSelectedSlot(9);
        o.BitBtn_Farbwahl->click();
        o.BitBtn_OptESC->click();
    });
    QCOMPARE(w().DBGrid_Vorgang->palette().color(QPalette::Base), gridBefore);
    QCOMPARE(opts().slotColour(9), 0x0000FF);
    QColor sample;
    openOptions([&](TFormOptions& o) {
        sample = o.samplePanels()[5]->palette().color(QPalette::Window);
        o.BitBtn_OptOK->click();
    });
    QCOMPARE(sample, QColor(0xFF, 0, 0));
    QCOMPARE(w().DBGrid_Vorgang->palette().color(QPalette::Base), QColor(0xFF, 0, 0));

    // A cancelled colour dialog changes no slot.
    std::array<int, 13> before{};
    for (int s = 0; s < 13; ++s)
        before[std::size_t(s)] = opts().slotColour(s);
    run->prompts.queueColour(std::nullopt);
    openOptions([](TFormOptions& o) {
        o.setSelectedSlot(3);
        o.BitBtn_Farbwahl->click();
        o.BitBtn_OptESC->click();
    });
    for (int s = 0; s < 13; ++s)
        QCOMPARE(opts().slotColour(s), before[std::size_t(s)]);
}

void TestOptions::slotZeroColoursTwoSamples() {
    QVERIFY(run->login());
    run->prompts.queueColour(0x123456);
    openOptions([](TFormOptions& o) {
        o.setSelectedSlot(0);
        o.BitBtn_Farbwahl->click();
        o.BitBtn_OptESC->click();
    });
    const QColor c(0x56, 0x34, 0x12);
    QCOMPARE(opts().samplePanels()[0]->palette().color(QPalette::Window), c);
    QCOMPARE(opts().samplePanels()[1]->palette().color(QPalette::Window), c);
    QVERIFY(opts().samplePanels()[2]->palette().color(QPalette::Window) != c);
}

void TestOptions::colourDialogStartsFromLastChoice() {
    QVERIFY(run->login());
    ColourStartRecorder recorder(run->prompts);
    run->app->forms.prompts = &recorder;
    run->prompts.queueColour(0x0A0B0C);
    run->prompts.queueColour(std::nullopt);
    run->prompts.queueColour(0x010203);
    openOptions([](TFormOptions& o) {
        o.setSelectedSlot(4);
        for (int i = 0; i < 3; ++i)
            o.BitBtn_Farbwahl->click();
        o.BitBtn_OptESC->click();
    });
    run->app->forms.prompts = &run->prompts;
    // Black the first time, then the colour chosen last (a cancel does not change it).
    QCOMPARE(recorder.starts, (QList<int>{0, 0x0A0B0C, 0x0A0B0C}));
    QCOMPARE(opts().slotColour(4), 0x010203);
}

void TestOptions::titleSampleShowsAppliedColour() {
    QVERIFY(run->login());
    const int applied = opts().slotColour(12);
    opts().setSlotColour(12, 0x00FFFF); // chosen but never applied
    openOptions([](TFormOptions& o) { o.BitBtn_OptESC->click(); });
    QCOMPARE(opts().slotColour(12), applied);
    QCOMPARE(w().appliedTitleColour(), applied);
}

void TestOptions::colourSchemePaints_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    const int bg = QPalette::Window, fg = QPalette::WindowText, base = QPalette::Base, text = QPalette::Text;
    QTest::newRow("0 window") << 0 << u"FormMain"_s << QString() << bg;
    QTest::newRow("1 window font") << 1 << u"FormMain"_s << QString() << fg;
    QTest::newRow("1 address line") << 1 << u"FormMain"_s << u"Label_ZamtOrt"_s << fg;
    QTest::newRow("1 Label_Spul") << 1 << u"FormMain"_s << u"Label_Spul"_s << fg;
    QTest::newRow("2 heading") << 2 << u"FormMain"_s << u"Label_Zamt"_s << fg;
    QTest::newRow("3 record panel") << 3 << u"FormMain"_s << u"Panel_Formular"_s << bg;
    QTest::newRow("3 search panel") << 3 << u"FormSuchen"_s << u"Panel_Suchen"_s << bg;
    QTest::newRow("4 caption") << 4 << u"FormMain"_s << u"Label_Notiz"_s << fg;
    QTest::newRow("4 results box") << 4 << u"FormMain"_s << u"CheckBox_Filter"_s << fg;
    QTest::newRow("4 search caption") << 4 << u"FormSuchen"_s << u"Label_Fabrik"_s << fg;
    QTest::newRow("4 exact box") << 4 << u"FormSuchen"_s << u"Check_ExakteBegriffe"_s << fg;
    QTest::newRow("5 lookup box") << 5 << u"FormMain"_s << u"DBLU_KauferAmt"_s << base;
    QTest::newRow("5 search edit") << 5 << u"FormSuchen"_s << u"MEd_BriefDatum"_s << base;
    QTest::newRow("6 edit") << 6 << u"FormMain"_s << u"DBEdit_EWBNR"_s << text;
    QTest::newRow("6 search combo") << 6 << u"FormSuchen"_s << u"Combo_EWB"_s << text;
    QTest::newRow("7 print dialog") << 7 << u"FormDruck"_s << QString() << bg;
    QTest::newRow("7 options dialog") << 7 << u"FormOptions"_s << QString() << bg;
    QTest::newRow("8 search dialog") << 8 << u"FormSuchen"_s << QString() << fg;
    QTest::newRow("8 option box by its window") << 8 << u"FormOptions"_s << u"Check_SubTabs"_s << fg;
    QTest::newRow("9 grid") << 9 << u"FormMain"_s << u"DBGrid_Land"_s << base;
    QTest::newRow("10 grid") << 10 << u"FormMain"_s << u"DBGrid_Partner"_s << text;
    QTest::newRow("11 titles") << 11 << u"FormMain"_s << u"DBGrid_Amt/titles"_s << int(QPalette::Button);
    QTest::newRow("12 title font") << 12 << u"FormMain"_s << u"DBGrid_Vorgang/titles"_s
                                   << int(QPalette::ButtonText);
}

void TestOptions::colourSchemePaints() {
    QFETCH(int, slot);
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(int, role);
    QVERIFY(run->login());
    for (int s = 0; s < 13; ++s)
        opts().setSlotColour(s, slotValue(s));
    w().ApplyColourScheme();
    QWidget* top = window == u"FormMain"_s ? static_cast<QWidget*>(&w()) : w().findChild<QWidget*>(window);
    QVERIFY(top);
    QWidget* target = top;
    if (control.endsWith(u"/titles"_s))
        target = top->findChild<DBGrid*>(control.section(u'/', 0, 0))->horizontalHeader();
    else if (!control.isEmpty())
        target = top->findChild<QWidget*>(control);
    QVERIFY2(target, qPrintable(control));
    QCOMPARE(target->palette().color(QPalette::ColorRole(role)), slotColour(slot));

    // What the scheme does not name keeps its design colours.
    for (QWidget* kept : QList<QWidget*>{w().Combo_Sort, w().Spin_Spul, w().Panel_Navi, w().DBText_Index,
                                         w().DBText_BDatum, w().statusBar()})
        for (QPalette::ColorRole r : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text})
            QCOMPARE(kept->palette().color(r), QApplication::palette().color(r));
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
