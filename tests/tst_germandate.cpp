// Dates typed the German way, with four- and two-digit years, as the form and the grid read them.
#include "common/GermanDate.h"

#include <QTest>

class TestGermanDate : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void TestGermanDate::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("expected");
    const QDate y2026(2026, 12, 10);
    QTest::newRow("full") << "3.5.2024" << y2026 << QDate(2024, 5, 3);
    QTest::newRow("leading zeros, blanks") << " 03.05.1899 " << y2026 << QDate(1899, 5, 3);
    QTest::newRow("no such day") << "31.2.2024" << y2026 << QDate();
    QTest::newRow("no date") << "3.5." << y2026 << QDate();
    QTest::newRow("three-digit year") << "3.5.124" << y2026 << QDate();
    // Two-digit years: the 80 years before and the 19 after this year.
    QTest::newRow("leap day of 2000") << "29.2.00" << y2026 << QDate(2000, 2, 29);
    QTest::newRow("last of the window") << "31.12.45" << y2026 << QDate(2045, 12, 31);
    QTest::newRow("first of the window") << "1.1.46" << y2026 << QDate(1946, 1, 1);
    QTest::newRow("last century") << "1.12.99" << y2026 << QDate(1999, 12, 1);
    QTest::newRow("no leap day in 1900") << "29.2.00" << QDate(1950, 1, 1) << QDate();
    // Decades on, the window has moved with the calendar.
    QTest::newRow("in 2060, 50") << "3.5.50" << QDate(2060, 1, 1) << QDate(2050, 5, 3);
    QTest::newRow("in 2060, 80") << "3.5.80" << QDate(2060, 1, 1) << QDate(1980, 5, 3);
    QTest::newRow("in 2099, 18") << "3.5.18" << QDate(2099, 1, 1) << QDate(2118, 5, 3);
}

void TestGermanDate::parse() {
    QFETCH(QString, text);
    QFETCH(QDate, today);
    QFETCH(QDate, expected);
    QCOMPARE(GermanDate::parse(text, today), expected);
}

QTEST_GUILESS_MAIN(TestGermanDate)
#include "tst_germandate.moc"
