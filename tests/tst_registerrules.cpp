// Rules of the register on the data module's datasets, without a window: the permit copy to
// the buyer, the buyer fill, the address lines of a party and the stock count.
#include "common/Konst.h"
#include "store/RegisterRules.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/TestFolder.h"

#include <QTest>

using namespace RegisterRules;

namespace {

QString partnerPermit(int partner) {
    return QStringLiteral(R"(SELECT "EWB", "EWBNR", "EWBDatum", "JDatum", "EWBAmt", "KAmt"
                             FROM "Kaufer" WHERE "Index" = %1)")
        .arg(partner);
}

const QVariant null;

} // namespace

class TestRegisterRules : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Konst::reset();
        folder = std::make_unique<TestFolder>();
        addSampleData(*folder);
        dm = std::make_unique<TDatMod>();
        dm->Connect();
    }
    void cleanup() {
        dm.reset();
        folder.reset();
    }

    void permitCopyToBuyer();
    void permitCopySkipsPlaceholderAndMissingBuyer();
    void failedPartnerPostKeepsPartner();
    void buyerFill();
    void addresses();
    void unsoldCount();

private:
    Dataset& reg() const { return *dm->ASet_Vorgang; }
    Dataset& partners() const { return *dm->ATab_Kauf; }
    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<TDatMod> dm;
};

void TestRegisterRules::permitCopyToBuyer() {
    reg().setRecNo(3); // sold to partner 2
    reg().edit();
    reg().setValue("EWBNR", QVariant());    // an empty number empties the partner's
    reg().setValue("AmtDatum", QVariant()); // an empty date keeps the partner's
    reg().setValue("JDatum", QDate(2031, 1, 2));
    reg().setValue("KauferAmt", 4);
    reg().setValue("EWB", 0); // no key: the partner keeps its own
    reg().post();
    const QVariantList other = folder->row(partnerPermit(3));
    QVERIFY(copyPermitToBuyer(reg(), partners()));
    const QVariantList got = folder->row(partnerPermit(2));
    QCOMPARE(got.value(1).toString(), QString());
    QCOMPARE(got, (QVariantList{3, got.value(1), "2019-04-01", "2031-01-02", 2, 4}));
    QCOMPARE(folder->row(partnerPermit(3)), other);
    QVERIFY(!partners().isEditing());
}

void TestRegisterRules::permitCopySkipsPlaceholderAndMissingBuyer() {
    const QString all = QStringLiteral(R"(SELECT group_concat("EWBNR", '|') FROM "Kaufer")");
    const QVariant before = folder->value(all);
    reg().setRecNo(1); // placeholder buyer
    QVERIFY(!copyPermitToBuyer(reg(), partners()));
    QVERIFY(!locateBuyer(reg(), partners()));
    reg().edit();
    reg().setValue("Kaufer", 99);
    reg().post();
    QVERIFY(!copyPermitToBuyer(reg(), partners()));
    QCOMPARE(folder->value(all), before);
}

void TestRegisterRules::failedPartnerPostKeepsPartner() {
    reg().setRecNo(3);
    reg().edit();
    reg().setValue("EWBNR", "NEU-1");
    reg().post();
    // The database refuses every change of a partner row.
    folder->sql(QStringLiteral(
        R"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Kaufer" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"));
    const QVariantList before = folder->row(partnerPermit(2));
    QVERIFY_THROWS_EXCEPTION(std::exception, copyPermitToBuyer(reg(), partners()));
    QCOMPARE(folder->row(partnerPermit(2)), before);
    QVERIFY(!partners().isEditing());
    QCOMPARE(partners().asString("EWBNR"), QStringLiteral("JS-4711"));
    // The register row stays stored.
    QCOMPARE(folder->value(R"(SELECT "EWBNR" FROM "Vorgang" WHERE "Index" = 3)"), QVariant("NEU-1"));
}

void TestRegisterRules::buyerFill() {
    reg().setRecNo(1);
    reg().edit();
    reg().setValue("Kaufer", 3);
    QVERIFY(fillFromBuyer(reg(), partners()));
    QCOMPARE(reg().asInteger("EWB"), 2);
    QCOMPARE(reg().asString("EWBNR"), QStringLiteral("WBK 22/2018"));
    QCOMPARE(reg().asDate("AmtDatum"), QDate(2018, 6, 15));
    // An empty partner date empties the row's, it does not make one up.
    QVERIFY(!reg().value("JDatum").isValid());
    QCOMPARE(reg().asInteger("Amt"), 3);
    QCOMPARE(reg().asInteger("KauferAmt"), 3);
    QVERIFY(reg().isEditing()); // the caller decides when to post

    reg().setValue("Kaufer", 1);
    reg().setValue("EWBNR", "bleibt");
    QVERIFY(!fillFromBuyer(reg(), partners()));
    reg().setValue("Kaufer", 42);
    QVERIFY(!fillFromBuyer(reg(), partners()));
    QCOMPARE(reg().asString("EWBNR"), QStringLiteral("bleibt"));
    reg().cancel();
}

void TestRegisterRules::addresses() {
    folder->sql(QStringLiteral(R"(
INSERT INTO "Kaufer" ("Index", "Name", "Strasse", "PLZ", "Ort") VALUES (5, 'Ohne PLZ', 'Feldweg 2', 0, 'Heide');
INSERT INTO "Amt" ("Index", "Name", "Strasse", "PLZ", "Stadt") VALUES (6, 'Amt ohne PLZ', 'Hauptstr. 1', 0, 'Nulldorf');
INSERT INTO "Vorgang" ("Index", "Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt") VALUES
  (5, 5, NULL, 1, 6, 99);)"));
    dm->Disconnect();
    dm->Connect();
    Dataset& amt = *dm->ATab_Amt;
    reg().setRecNo(3);
    QCOMPARE(addressOf(reg(), "Verkaufer", partners(), PartyKind::Partner),
             (PartyAddress{"Waffen Schmidt GmbH", "Industriestraße 5", "80331", "München"}));
    QCOMPARE(partners().asInteger("Index"), 4); // the shared list follows
    QCOMPARE(addressOf(reg(), "KauferAmt", amt, PartyKind::Authority),
             (PartyAddress{"Landratsamt Meißen", "Brauhausstraße 21", "1662", "Meißen"}));

    reg().setRecNo(5);
    QCOMPARE(addressOf(reg(), "Verkaufer", partners(), PartyKind::Partner),
             (PartyAddress{"Ohne PLZ", "Feldweg 2", "0", "Heide"}));
    QCOMPARE(addressOf(reg(), "Amt", amt, PartyKind::Authority),
             (PartyAddress{"Amt ohne PLZ", "Hauptstr. 1", "", "Nulldorf"}));
    QCOMPARE(addressOf(reg(), "Kaufer", partners(), PartyKind::Partner), PartyAddress{});
    QCOMPARE(addressOf(reg(), "KauferAmt", amt, PartyKind::Authority), PartyAddress{});
    reg().setRecNo(1);
    QCOMPARE(addressOf(reg(), "Amt", amt, PartyKind::Authority), PartyAddress{});
}

void TestRegisterRules::unsoldCount() {
    QCOMPARE(countUnsold(reg()), 3);
    reg().setRecNo(1);
    reg().edit();
    reg().setValue("Kaufer", 2);
    reg().post();
    QCOMPARE(countUnsold(reg()), 2);
    CountUnsold(*dm);
    QCOMPARE(Konst::UnsoldCount, 2);
    dm->Disconnect();
    QCOMPARE(countUnsold(reg()), 0);
}

QTEST_MAIN(TestRegisterRules)
#include "tst_registerrules.moc"
