// The database password: kept scrambled in the program, descrambled by position, and the only
// key that opens the delivered file.
#include "common/DbError.h"
#include "common/Konst.h"
#include "store/Connection.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QTest>
#include <algorithm>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {
// What was subtracted at each position: the table entry used there.
QList<int> offsets(const QString& scrambled) {
    const QString plain = descrambled(scrambled);
    QList<int> result;
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        result << int(scrambled.at(i).unicode()) - int(plain.at(i).unicode());
    return result;
}

// Characters far above every table entry, so that no subtraction wraps.
QString highText(int length, char16_t base) {
    QString s;
    for (int i = 0; i < length; ++i)
        s += QChar(char16_t(base + 37 * i));
    return s;
}

QByteArray utf16le(const QString& s) {
    QByteArray out;
    for (QChar c : s) {
        out += char(c.unicode() & 0xff);
        out += char(c.unicode() >> 8);
    }
    return out;
}

} // namespace

class TestPassword : public QObject {
    Q_OBJECT
private slots:
    void storedPasswordOpensDatabase();
    void descrambleLengths();
    void descrambleIsPositional();
    void passwordNotInLibrary();
};

void TestPassword::storedPasswordOpensDatabase() {
    TestFolder folder;
    const QString password = databasePassword();
    QCOMPARE(password.size(), 14);
    for (QChar c : password)
        QVERIFY2(c.isPrint(), "every character of the password is printable");

    Connection conn;
    openConnection(conn, Konst::buildConnectionString(Konst::AppDir, password));
    QVERIFY(conn.isOpen());
    conn.close();

    for (const QString& wrong : {password.left(13), QString(), password.toLower()}) {
        Connection other;
        try {
            openConnection(other, Konst::buildConnectionString(Konst::AppDir, wrong));
            QFAIL(qPrintable("opened with the password '" + wrong + "'"));
        } catch (const DbError& e) {
            QCOMPARE(e.message(), QStringLiteral("Kein gültiges Kennwort."));
        }
        QVERIFY(!other.isOpen());
    }
}

void TestPassword::descrambleLengths() {
    QString out = QStringLiteral("alt");
    Konst::DescramblePassword(QString(), out);
    QVERIFY(out.isEmpty());

    QCOMPARE(descrambled(highText(22, 0x4e00)).size(), 22);
    QCOMPARE(descrambled(highText(1, 0x4e00)).size(), 1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, descrambled(highText(23, 0x4e00)));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, descrambled(highText(40, 0x4e00)));
}

void TestPassword::descrambleIsPositional() {
    // Each position has its own entry, independent of the text and of its length: the first
    // character always uses the same entry (the last one of the table).
    const QList<int> full = offsets(highText(22, 0x4e00));
    QCOMPARE(full, offsets(highText(22, 0x6000)));
    QCOMPARE(offsets(highText(14, 0x5000)), full.mid(0, 14));
    QCOMPARE(offsets(highText(1, 0x5000)), full.mid(0, 1));
    QCOMPARE(offsets(Konst::scrambledDatabasePassword()), full.mid(0, 14));
    QVERIFY2(std::adjacent_find(full.begin(), full.end(), std::not_equal_to<>()) != full.end(),
             "the table has differing entries");

    // Changing only the first character changes only the first output character, by as much.
    const QString base = highText(22, 0x4e00);
    QString changed = base;
    changed[0] = QChar(char16_t(base.at(0).unicode() + 5));
    const QString a = descrambled(base), b = descrambled(changed);
    QCOMPARE(b.at(0).unicode(), char16_t(a.at(0).unicode() + 5));
    QCOMPARE(b.mid(1), a.mid(1));
}

void TestPassword::passwordNotInLibrary() {
    QFile lib(QStringLiteral(WB_CORE_LIBRARY));
    QVERIFY2(lib.open(QIODevice::ReadOnly), qPrintable(lib.fileName()));
    const QByteArray bytes = lib.readAll();
    const QString password = databasePassword();

    // The scrambled form is there, so the search does find texts kept in the library.
    QVERIFY(bytes.contains(utf16le(Konst::scrambledDatabasePassword())));
    QVERIFY(!bytes.contains(password.toUtf8()));
    QVERIFY(!bytes.contains(utf16le(password)));
}

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
