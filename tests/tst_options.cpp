// The settings row as the register window loads and saves it: colours, column widths, the window's
// place and size, an empty row.
#include "tst_options.h"

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

QTEST_MAIN(TestOptions)
