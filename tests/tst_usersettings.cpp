// The settings row as a value: read, written back, and what a failed write leaves behind.
#include "common/Konst.h"
#include "settings/UserSettings.h"
#include "store/TDatMod.h"
#include "support/TestFolder.h"

#include <QTest>

class TestUserSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Konst::reset();
        folder = std::make_unique<TestFolder>();
        dm = std::make_unique<TDatMod>();
        dm->Connect();
    }
    void cleanup() {
        dm.reset();
        folder.reset();
    }
    void writeThenRead();
    void noSortOrderKeepsStored();
    void refusedWriteLeavesRow();

private:
    Dataset& user() const { return *dm->ATab_User; }
    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<TDatMod> dm;
};

void TestUserSettings::writeThenRead() {
    UserSettings s = UserSettings::read(user());
    s.geometry = QRect(12, 34, 900, 750);
    s.maximized = true;
    s.sortOrder = 16;
    s.savedFilter = QStringLiteral("SELECT x");
    s.currentIndex = 7;
    s.colours[12] = 0x123456;
    s.confirmExit = false;
    s.printByIndex = true;
    s.spulSpeed = 77;
    s.write(user());
    QCOMPARE(folder->row(R"(SELECT "Links", "Oben", "Breit", "Hoch", "WinState", "Sortierung", "SFilter",
                            "Aktuell", "Farbe12", "CheckProgEnde", "CheckDruckSort", "SpulSpeed" FROM "Benutzer")"),
             (QVariantList{12, 34, 900, 750, 1, 16, "SELECT x", 7, 0x123456, 0, 1, 77}));
    dm->Disconnect();
    dm->Connect();
    const UserSettings back = UserSettings::read(user());
    QCOMPARE(back.geometry, s.geometry);
    QCOMPARE(back.sortOrder, std::optional<int>(16));
    QCOMPARE(back.colours, s.colours);
    QCOMPARE(back.spulSpeed, 77);
    QVERIFY(back.maximized && back.printByIndex && !back.confirmExit);
}

void TestUserSettings::noSortOrderKeepsStored() {
    folder->sql(QStringLiteral(R"(UPDATE "Benutzer" SET "Sortierung" = 5)"));
    dm->Disconnect();
    dm->Connect();
    UserSettings s = UserSettings::read(user());
    s.sortOrder.reset();
    s.write(user());
    s.sortOrder = -1;
    s.write(user());
    QCOMPARE(folder->value(R"(SELECT "Sortierung" FROM "Benutzer")").toInt(), 5);
}

void TestUserSettings::refusedWriteLeavesRow() {
    const QVariantList before = folder->row(R"(SELECT * FROM "Benutzer")");
    UserSettings s = UserSettings::read(user());
    s.spulSpeed = 12;
    s.savedFilter = QString(100000, QLatin1Char('x'));
    folder->sql(QStringLiteral(
        R"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Benutzer" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"));
    QVERIFY_THROWS_EXCEPTION(std::exception, s.write(user()));
    QVERIFY(!user().isEditing());
    QCOMPARE(user().asInteger("SpulSpeed"), UserSettings::read(user()).spulSpeed);
    QVERIFY(user().asInteger("SpulSpeed") != 12);
    QCOMPARE(folder->row(R"(SELECT * FROM "Benutzer")"), before);
}

QTEST_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
