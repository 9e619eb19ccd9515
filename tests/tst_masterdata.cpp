#include "store/MasterData.h"
#include "store/TDatMod.h"
#include "support/TestFolder.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMasterData : public QObject {
    Q_OBJECT
private slots:
    void duplicateIgnoresCaseButNotBlanksOrParts();
    void messages();
    void widths();
    void postcodes_data();
    void postcodes();
    void firmAddressPacking();
    void refusedAppendLeavesNoRowBehind();
};

void TestMasterData::duplicateIgnoresCaseButNotBlanksOrParts() {
    TestFolder folder;
    folder.sql(uR"(INSERT INTO "Kaliber" ("Index", "Kaliber") VALUES (1, '9mm'), (2, ''))"_s);
    folder.sql(uR"(INSERT INTO "Kaufer" ("Index", "Name") VALUES (2, 'Meierhofer'), (3, 'Müller'))"_s);
    TDatMod dm;
    dm.Connect();
    dm.ATab_Kaliber->last();
    const int before = dm.ATab_Kaliber->recNo();

    QVERIFY(MasterData::isDuplicate(*dm.ATab_Kaliber, u"Kaliber"_s, u"9MM"_s));
    QVERIFY(MasterData::isDuplicate(*dm.ATab_Kaliber, u"Kaliber"_s, QString()));
    QVERIFY(!MasterData::isDuplicate(*dm.ATab_Kaliber, u"Kaliber"_s, u"9mm "_s));
    QVERIFY(!MasterData::isDuplicate(*dm.ATab_Kaliber, u"Kaliber"_s, u"9"_s));
    QCOMPARE(dm.ATab_Kaliber->recNo(), before);

    QVERIFY(!MasterData::isDuplicate(*dm.ATab_Kauf, u"Name"_s, u"Meier"_s));
    QVERIFY(MasterData::isDuplicate(*dm.ATab_Kauf, u"Name"_s, u"MÜLLER"_s));
    dm.Disconnect();
}

void TestMasterData::messages() {
    QCOMPARE(MasterData::duplicateMessage(u"9MM"_s), u"Der Eintrag 9MM existiert bereits"_s);
    QCOMPARE(MasterData::duplicateMessage(QString()), u"Der Eintrag  existiert bereits"_s);
    QCOMPARE(MasterData::duplicatePartnerQuestion(u"Meier"_s),
             u"Der Eintrag Meier existiert bereits. Dennoch eintragen?"_s);
}

void TestMasterData::widths() {
    QVERIFY(!MasterData::checkWidth(u"Kaliber"_s, QString(100, u'x'), MasterData::kCalibreWidth));
    const auto refused = MasterData::checkWidth(u"Kaliber"_s, QString(101, u'x'), MasterData::kCalibreWidth);
    QVERIFY(refused);
    QVERIFY(refused->contains(u"Kaliber"_s));
    QVERIFY(refused->contains(u"100"_s));
}

void TestMasterData::postcodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: refused
    QTest::newRow("leading zero") << u"01067"_s << 1067;
    QTest::newRow("largest") << u"2147483647"_s << 2147483647;
    QTest::newRow("too large") << u"2147483648"_s << -1;
    QTest::newRow("eleven digits") << u"00000000001"_s << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("letters") << u"12a45"_s << -1;
    QTest::newRow("sign") << u"-1"_s << -1;
    QTest::newRow("blank") << u" 1234"_s << -1;
    QTest::newRow("arabic digits") << u"\u0661\u0662"_s << -1;
}

void TestMasterData::postcodes() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto v = MasterData::postcodeValue(text);
    if (expected < 0)
        QVERIFY(!v);
    else
        QCOMPARE(v.value_or(-1), expected);
}

void TestMasterData::firmAddressPacking() {
    QCOMPARE(MasterData::packFirmAddress(u"12345"_s, u"Musterstadt"_s), u"12345 Musterstadt"_s);
    QCOMPARE(MasterData::packFirmAddress(QString(), u"Musterstadt"_s), u" Musterstadt"_s);
    QString plz = u"old"_s, ort;
    MasterData::unpackFirmAddress(u"12345 Bad Musterstadt"_s, plz, ort);
    QCOMPARE(plz, u"12345"_s);
    QCOMPARE(ort, u"Bad Musterstadt"_s);
    MasterData::unpackFirmAddress(u" Musterstadt"_s, plz, ort);
    QCOMPARE(plz, QString());
    QCOMPARE(ort, u"Musterstadt"_s);
    MasterData::unpackFirmAddress(u"Musterstadt"_s, plz, ort);
    QCOMPARE(plz, QString());
    QCOMPARE(ort, u"Musterstadt"_s);
}

void TestMasterData::refusedAppendLeavesNoRowBehind() {
    TestFolder folder;
    TDatMod dm;
    dm.Connect();
    Dataset& list = *dm.ATab_Kaliber;
    const int before = list.recordCount();
    // The database refuses an overlong text at the post; the begun row must not linger, or the
    // next append would post it after all.
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             MasterData::appendEntry(list, {{u"Kaliber"_s, QString(101, u'x')}}));
    QVERIFY(!list.isEditing());
    const int key = MasterData::appendEntry(list, {{u"Kaliber"_s, u".22 lfB"_s}});
    QCOMPARE(list.asInteger(u"Index"_s), key);
    QCOMPARE(folder.rows(uR"(SELECT "Kaliber" FROM "Kaliber")"_s), (QList<QVariantList>{{u".22 lfB"_s}}));
    QCOMPARE(list.recordCount(), before + 1);
    dm.Disconnect();
}

QTEST_GUILESS_MAIN(TestMasterData)
#include "tst_masterdata.moc"
