// The connection string: built from the program folder and the password, read back by key.
#include "common/Konst.h"
#include "store/Connection.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestConnectionString : public QObject {
    Q_OBJECT
private slots:
    void connectionString();
    void connectionValue_data();
    void connectionValue();
};

void TestConnectionString::connectionString() {
    QCOMPARE(Konst::buildConnectionString(QStringLiteral("/opt/wb/"), QStringLiteral("geheim")),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/wb/Waffenbuch.mdb;"
                            "Persist Security Info=False;Jet OLEDB:Database Password=geheim"));

    TestFolder folder;
    const QString password = databasePassword();
    QCOMPARE(Konst::AppDir, folder.path());
    QCOMPARE(Konst::ConnectionString, QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                                          folder.path() +
                                          QStringLiteral("Waffenbuch.mdb;Persist Security Info=False;"
                                                         "Jet OLEDB:Database Password=") +
                                          password);
    QCOMPARE(Connection::connectionValue(Konst::ConnectionString, QStringLiteral("Data Source")),
             folder.path() + QStringLiteral("Waffenbuch.mdb"));
    QCOMPARE(
        Connection::connectionValue(Konst::ConnectionString, QStringLiteral("Jet OLEDB:Database Password")),
        password);
}

void TestConnectionString::connectionValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString full =
        Konst::buildConnectionString(QStringLiteral("/home/mein Laden/"), QStringLiteral("pw"));
    QTest::newRow("file") << full << "Data Source"
                          << "/home/mein Laden/Waffenbuch.mdb";
    QTest::newRow("key case") << full << "data SOURCE"
                              << "/home/mein Laden/Waffenbuch.mdb";
    QTest::newRow("provider") << full << "Provider"
                              << "Microsoft.Jet.OLEDB.4.0";
    QTest::newRow("security") << full << "Persist Security Info"
                              << "False";
    QTest::newRow("password") << full << "Jet OLEDB:Database Password"
                              << "pw";
    QTest::newRow("absent key") << full << "User ID" << QString();
    QTest::newRow("empty password") << "Data Source=x;Jet OLEDB:Database Password="
                                    << "Jet OLEDB:Database Password" << QString();
    QTest::newRow("blanks around key") << "Provider=p; Data Source =/a/b.mdb;"
                                       << "Data Source"
                                       << "/a/b.mdb";
    QTest::newRow("equals in value") << "Jet OLEDB:Database Password=a=b;x=y"
                                     << "Jet OLEDB:Database Password"
                                     << "a=b";
    QTest::newRow("piece without key") << "Provider;Data Source=/c.mdb"
                                       << "Data Source"
                                       << "/c.mdb";
    QTest::newRow("prefix is no match") << "Data Source Extra=/d.mdb"
                                        << "Data Source" << QString();
}

void TestConnectionString::connectionValue() {
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(Connection::connectionValue(text, key), expected);
}

QTEST_GUILESS_MAIN(TestConnectionString)
#include "tst_connectionstring.moc"
