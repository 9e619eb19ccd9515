// The German order and the umlaut-aware like that sorts and searches rely on.
#include "store/Connection.h"
#include "store/GermanCollation.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
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

class TestGermanCollation : public QObject {
    Q_OBJECT
private slots:
    void germanOrder();
    void germanAsciiPathAgreesWithCollator();
    void germanLike_data();
    void germanLike();
};

void TestGermanCollation::germanOrder() {
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

void TestGermanCollation::germanAsciiPathAgreesWithCollator() {
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

void TestGermanCollation::germanLike_data() {
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

void TestGermanCollation::germanLike() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    QCOMPARE(german::like(pattern, text), matches);
}

QTEST_GUILESS_MAIN(TestGermanCollation)
#include "tst_germancollation.moc"
