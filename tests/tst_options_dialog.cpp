// The options dialog: its layout, cancel and OK, the colour choices, and the colour scheme painted
// on the windows.
#include "tst_options.h"

namespace {

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
    // Another program changed the settings row after it was read: OK stores over it all the same.
    run->folder.sql(uR"(UPDATE "Benutzer" SET "Firma" = 'Andere Firma')"_s);
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
    QCOMPARE(run->folder.value(uR"(SELECT "Firma" FROM "Benutzer")"_s).toString(), u"Andere Firma"_s);
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
    QTest::newRow("1 Label_EWBNR") << 1 << u"FormMain"_s << u"Label_EWBNR"_s << fg;
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
