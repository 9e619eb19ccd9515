#include "common/DbError.h"
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "store/Connection.h"
#include "store/GermanCollation.h"
#include "support/ScriptedPrompts.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QCollator>
#include <QFile>
#include <QRandomGenerator>
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

int sign(int v) {
    return (v > 0) - (v < 0);
}

QString randomAscii(QRandomGenerator& rng) {
    static const QString small = QStringLiteral("aAbBzZ09 -_.,'");
    const int length = rng.bounded(0, 9);
    const bool fullRange = rng.bounded(2) == 0;
    QString s;
    for (int i = 0; i < length; ++i)
        s += fullRange ? QChar(char16_t(rng.bounded(0x20, 0x7f))) : small.at(rng.bounded(int(small.size())));
    return s;
}

} // namespace

class TestKonst : public QObject {
    Q_OBJECT
private slots:
    void storedPasswordOpensDatabase();
    void descrambleLengths();
    void descrambleIsPositional();
    void connectionString();
    void connectionValue_data();
    void connectionValue();
    void passwordNotInLibrary();
    void scriptedPromptsServeInOrder();
    void scriptedPromptsRecordUnexpected();
    void runGuarded_data();
    void runGuarded();
    void germanOrder();
    void germanAsciiPathAgreesWithCollator();
    void germanLike_data();
    void germanLike();
};

void TestKonst::storedPasswordOpensDatabase() {
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

void TestKonst::descrambleLengths() {
    QString out = QStringLiteral("alt");
    Konst::DescramblePassword(QString(), out);
    QVERIFY(out.isEmpty());

    QCOMPARE(descrambled(highText(22, 0x4e00)).size(), 22);
    QCOMPARE(descrambled(highText(1, 0x4e00)).size(), 1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, descrambled(highText(23, 0x4e00)));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, descrambled(highText(40, 0x4e00)));
}

void TestKonst::descrambleIsPositional() {
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

    // Stable: the stored text gives the same password every time.
    QCOMPARE(descrambled(Konst::scrambledDatabasePassword()),
             descrambled(Konst::scrambledDatabasePassword()));
}

void TestKonst::connectionString() {
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

void TestKonst::connectionValue_data() {
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

void TestKonst::connectionValue() {
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(Connection::connectionValue(text, key), expected);
}

void TestKonst::passwordNotInLibrary() {
    QFile lib(QStringLiteral(WB_CORE_LIBRARY));
    QVERIFY2(lib.open(QIODevice::ReadOnly), qPrintable(lib.fileName()));
    const QByteArray bytes = lib.readAll();
    const QString password = databasePassword();

    // The scrambled form is there, so the search does find texts kept in the library.
    QVERIFY(bytes.contains(utf16le(Konst::scrambledDatabasePassword())));
    QVERIFY(!bytes.contains(password.toUtf8()));
    QVERIFY(!bytes.contains(utf16le(password)));
}

void TestKonst::scriptedPromptsServeInOrder() {
    ScriptedPrompts p;
    p.queueYes();
    p.queueNo();
    p.queueInput(QStringLiteral("Müller"));
    p.queueInputCancel();
    p.queueColour(0x123456);
    p.queueColour(std::nullopt);
    p.queueOpenResult(true);

    p.message(QStringLiteral("Hinweis")); // takes no answer
    QCOMPARE(p.yesNo(QStringLiteral("Erste?")), Prompts::Answer::Yes);
    QCOMPARE(p.yesNo(QStringLiteral("Zweite?"), true), Prompts::Answer::No);
    QVERIFY(p.lastDefaultNo);
    QCOMPARE(p.input(QStringLiteral("Titel"), QStringLiteral("Name:"), QString()),
             std::optional<QString>(u"Müller"_s));
    QCOMPARE(p.input(QStringLiteral("Titel"), QStringLiteral("Name:"), QString()), std::optional<QString>());
    QCOMPARE(p.chooseColour(0), std::optional<int>(0x123456));
    QCOMPARE(p.chooseColour(0), std::optional<int>());
    p.errorBox(QStringLiteral("Fehler"));
    QVERIFY(p.openFile(QStringLiteral("/x/Help.html")));

    QVERIFY(p.allAnswersUsed());
    QVERIFY(p.failures().isEmpty());
    QCOMPARE(p.messages(), QStringList{QStringLiteral("Hinweis")});
    QCOMPARE(p.errors(), QStringList{QStringLiteral("Fehler")});
    QCOMPARE(p.texts(QStringLiteral("yesNo")),
             (QStringList{QStringLiteral("Erste?"), QStringLiteral("Zweite?")}));
    QStringList kinds;
    for (const ScriptedPrompts::Shown& s : p.shown())
        kinds << s.kind;
    QCOMPARE(kinds, (QStringList{"message", "yesNo", "yesNo", "input", "input", "colour", "colour", "error",
                                 "open"}));
}

void TestKonst::scriptedPromptsRecordUnexpected() {
    ScriptedPrompts p;
    QStringList reported;
    p.onUnexpected = [&](const QString& text) { reported << text; };

    // Nothing queued: recorded, reported, and the box's default is the answer.
    QCOMPARE(p.yesNo(QStringLiteral("Löschen?")), Prompts::Answer::Yes);
    QCOMPARE(p.yesNo(QStringLiteral("Beenden?"), true), Prompts::Answer::No);
    QCOMPARE(p.failures().size(), 2);
    QVERIFY(p.failures().at(0).contains(QStringLiteral("Löschen?")));
    QCOMPARE(reported, p.failures());

    // An answer of another kind is not consumed by the wrong prompt.
    p.queueInput(QStringLiteral("abc"));
    QCOMPARE(p.yesNo(QStringLiteral("Frage")), Prompts::Answer::Yes);
    QCOMPARE(p.failures().size(), 3);
    QVERIFY(!p.allAnswersUsed());
    QCOMPARE(p.input(QString(), QStringLiteral("Eingabe"), QString()), std::optional<QString>(u"abc"_s));
    QVERIFY(p.allAnswersUsed());

    QCOMPARE(p.input(QString(), QStringLiteral("Noch eine"), QString()), std::optional<QString>());
    QCOMPARE(p.chooseColour(5), std::optional<int>());
    QVERIFY(!p.openFile(QStringLiteral("/x")));
    QCOMPARE(p.failures().size(), 6);
}

void TestKonst::runGuarded_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("DbError") << 0 << u"Die Datenmenge 'ATab_Kauf' ist geschlossen."_s;
    QTest::newRow("std::exception") << 1 << u"Zugriff verweigert für Datei"_s;
    QTest::newRow("range error") << 2 << u"Bereichsüberschreitung beim Entschlüsseln des Kennworts"_s;
    QTest::newRow("anything else") << 3 << u"Unbekannter Fehler"_s;
}

void TestKonst::runGuarded() {
    QFETCH(int, kind);
    QFETCH(QString, expected);
    ScriptedPrompts p;
    int reached = 0;
    const bool ok = ::runGuarded(p, [&] {
        reached = 1;
        switch (kind) {
        case 0:
            throw DbError(QStringLiteral("Die Datenmenge 'ATab_Kauf' ist geschlossen."));
        case 1:
            throw std::runtime_error(QStringLiteral("Zugriff verweigert für Datei").toStdString());
        case 2: {
            QString out;
            Konst::DescramblePassword(highText(23, 0x4e00), out);
            break;
        }
        default:
            throw 42;
        }
        reached = 2;
    });
    QVERIFY(!ok);
    QCOMPARE(reached, 1); // the state reached before the error stays
    QCOMPARE(p.errors(), QStringList{expected});

    p.clearShown();
    QVERIFY(::runGuarded(p, [&] { reached = 3; }));
    QCOMPARE(reached, 3);
    QVERIFY(p.shown().isEmpty());
}

void TestKonst::germanOrder() {
    const QStringList expected = {"apfel", "Äpfel", "Bär", "Ofen", "Österreich", "zebra", "Zürich"};
    for (int i = 0; i < expected.size(); ++i) {
        for (int j = 0; j < expected.size(); ++j) {
            const int want = sign(i - j);
            QCOMPARE(german::compare(expected.at(i), expected.at(j)), want);
            const QByteArray a = expected.at(i).toUtf8(), b = expected.at(j).toUtf8();
            QCOMPARE(german::compareUtf8(a.constData(), int(a.size()), b.constData(), int(b.size())), want);
        }
    }
    QStringList shuffled = {"Zürich", "Bär", "zebra", "Österreich", "apfel", "Ofen", "Äpfel"};
    std::sort(shuffled.begin(), shuffled.end(),
              [](const QString& a, const QString& b) { return german::compare(a, b) < 0; });
    QCOMPARE(shuffled, expected);

    // Case does not count, accents do.
    QCOMPARE(german::compare(u"ÄPFEL", u"äpfel"), 0);
    QCOMPARE(german::compare(u"MEIER", u"meier"), 0);
    QVERIFY(german::compare(u"Bar", u"Bär") < 0);
    QVERIFY(german::compare(u"", u"a") < 0);
}

void TestKonst::germanAsciiPathAgreesWithCollator() {
    QCollator collator{QLocale(QLocale::German)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QRandomGenerator rng(20240611);
    int mismatches = 0;
    QString firstMismatch;
    for (int n = 0; n < 4000; ++n) {
        const QString a = randomAscii(rng);
        const QString b = rng.bounded(4) == 0 ? a.toUpper() + randomAscii(rng).left(1) : randomAscii(rng);
        const int want = sign(collator.compare(a, b));
        const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
        const int got = german::compare(a, b);
        const int gotUtf8 =
            german::compareUtf8(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
        if (got != want || gotUtf8 != want) {
            if (mismatches++ == 0)
                firstMismatch = QStringLiteral("'%1' vs '%2': collator %3, compare %4, compareUtf8 %5")
                                    .arg(a, b)
                                    .arg(want)
                                    .arg(got)
                                    .arg(gotUtf8);
        }
    }
    QVERIFY2(mismatches == 0,
             qPrintable(QString::number(mismatches) + " mismatches, first: " + firstMismatch));
}

void TestKonst::germanLike_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::newRow("umlaut case") << u"ä"_s << u"Ä"_s << true;
    QTest::newRow("umlaut case in word") << u"MÜLLER"_s << u"Müller"_s << true;
    QTest::newRow("umlaut is no base letter") << u"Bar"_s << u"Bär"_s << false;
    QTest::newRow("percent start") << u"%reich"_s << u"Österreich"_s << true;
    QTest::newRow("percent around") << u"%ÖSTER%"_s << u"Österreich"_s << true;
    QTest::newRow("percent inside") << u"M%r"_s << u"Müller"_s << true;
    QTest::newRow("percent empty run") << u"ab%c"_s << u"abc"_s << true;
    QTest::newRow("percent backtracks") << u"%ab"_s << u"aab"_s << true;
    QTest::newRow("two percents") << u"%a%b%"_s << u"xAyBz"_s << true;
    QTest::newRow("percent alone, empty text") << u"%"_s << QString() << true;
    QTest::newRow("underscore umlaut") << u"M_ller"_s << u"MÜLLER"_s << true;
    QTest::newRow("underscore needs one") << u"a_c"_s << u"ac"_s << false;
    QTest::newRow("underscore only one") << u"a_c"_s << u"abbc"_s << false;
    QTest::newRow("underscore, empty text") << u"_"_s << QString() << false;
    QTest::newRow("whole text") << u"abc"_s << u"abcd"_s << false;
    QTest::newRow("pattern longer") << u"abcd"_s << u"abc"_s << false;
    QTest::newRow("no match at end") << u"%x"_s << u"Zürich"_s << false;
}

void TestKonst::germanLike() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    QCOMPARE(german::like(pattern, text), matches);
}

QTEST_GUILESS_MAIN(TestKonst)
#include "tst_konst.moc"
