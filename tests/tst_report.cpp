// The report facility without windows: project files, filling templates from the data
// connections, and the walk over the datasets leaving every current row in place.
#include "common/DbError.h"
#include "printing/ReportEngine.h"
#include "printing/ReportWalkGuard.h"
#include "store/TDatMod.h"
#include "support/TestFolder.h"

#include <QTest>

class TstReport : public QObject {
    Q_OBJECT
private slots:
    void projectParsing() {
        QString error;
        const auto p = ReportProjectFile::parse(R"(<?xml version="1.0"?>
<reportproject>
  <report name="Eins" orientation="landscape" margin-left="10" margin-top="5">
    <template><![CDATA[<p>{{x}}</p>]]></template>
  </report>
  <report name="Zwei"><template>b</template></report>
</reportproject>)",
                                                QStringLiteral("/x/p.rav"), &error);
        QVERIFY2(p, qPrintable(error));
        QCOMPARE(p->reports().size(), 2);
        const ReportDefinition* eins = p->find(QStringLiteral("eINS"));
        QVERIFY(eins);
        QVERIFY(eins->landscape);
        QCOMPARE(eins->marginsMm.left(), 10.0);
        QCOMPARE(eins->marginsMm.top(), 5.0);
        QCOMPARE(eins->templateText, QStringLiteral("<p>{{x}}</p>"));
        QVERIFY(!p->find(QStringLiteral("Drei")));
        QVERIFY(!p->find(QStringLiteral("Zwei"))->landscape);

        // Faults are refused with the path named.
        for (const char* bad : {"<other/>", "<reportproject><report/></reportproject>",
                                "<reportproject><report name='a' orientation='schräg'/></reportproject>",
                                "<reportproject><report name='a' margin-left='-3'/></reportproject>",
                                "<reportproject><report name='a'>"}) {
            error.clear();
            QVERIFY2(!ReportProjectFile::parse(bad, QStringLiteral("/x/p.rav"), &error), bad);
            QVERIFY2(error.contains(QStringLiteral("/x/p.rav")), qPrintable(error));
        }
    }

    void missingFileNamesPathAndLoadsOnce() {
        TestFolder folder;
        ReportEngine::clearLoaded();
        const QString missing = folder.file(QStringLiteral("Archiv/Fehlt.rav"));
        try {
            ReportEngine::project(missing);
            QFAIL("no error");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
        }
        // Loaded once: a later change of the file shows only after the program starts again.
        const QString amt = folder.file(QStringLiteral("Archiv/Amt.rav"));
        QVERIFY(ReportEngine::project(amt).find(QStringLiteral("reportamt")));
        QFile::remove(amt);
        QVERIFY(ReportEngine::project(amt).find(QStringLiteral("ReportAmt")));
        ReportEngine::clearLoaded();
        QVERIFY_THROWS_EXCEPTION(DbError, ReportEngine::project(amt));
    }

    void fillsFromConnectionsAndRestoresRows() {
        TestFolder folder;
        folder.sql(QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Waffen <Test>')"));
        for (int i = 1; i <= 3; ++i)
            folder.sql(QStringLiteral(
                           R"(INSERT INTO "Vorgang" ("SerienNr", "KDatum") VALUES ('SN-%1', '2024-01-0%1'))")
                           .arg(i));
        TDatMod dm;
        dm.Connect();
        dm.ASet_Vorgang->setRecNo(2);
        dm.ATab_Kauf->last();
        const int kaufRow = dm.ATab_Kauf->recNo();
        ReportDefinition def;
        def.templateText =
            QStringLiteral("{{#RvDataSet_User.current}}{{Firma}}{{/RvDataSet_User.current}}|"
                           "{{#RvDSetCon.rows}}{{SerienNr}}/{{KDatum}};{{/RvDSetCon.rows}}|"
                           "{{#RvDSetCon.current}}{{SerienNr}}{{/RvDSetCon.current}}|{{RvDSetCon.count}}");
        QString text;
        {
            const auto conns = ReportEngine::connections(dm);
            QCOMPARE(conns.size(), 8);
            QList<Dataset*> sets;
            for (const auto& c : conns)
                sets << c.dataset;
            ReportWalkGuard guard(sets);
            QVERIFY(dm.ASet_Vorgang->controlsDisabled());
            dm.ASet_Vorgang->first();
            dm.ATab_Kauf->first();
            text = ReportEngine::fill(def, ReportData::build(conns, def.templateText));
        }
        QCOMPARE(text, QStringLiteral("Waffen &lt;Test&gt;|SN-1/01.01.2024;SN-2/02.01.2024;SN-3/03.01.2024;|"
                                      "SN-1|3"));
        QCOMPARE(dm.ASet_Vorgang->recNo(), 2);
        QCOMPARE(dm.ATab_Kauf->recNo(), kaufRow);
        QVERIFY(!dm.ASet_Vorgang->controlsDisabled());

        // A broken template is an error, not an empty page; cancelling stops the walk.
        def.templateText = QStringLiteral("{{#a}}");
        QVERIFY_THROWS_EXCEPTION(DbError, ReportEngine::fill(def, ReportData::build({}, def.templateText)));
        QVERIFY_THROWS_EXCEPTION(ReportCancelled, ReportData::build(ReportEngine::connections(dm),
                                                                    QStringLiteral("{{RvDSetCon.rows}}"),
                                                                    [](int, int) { return false; }));
    }
};

QTEST_GUILESS_MAIN(TstReport)
#include "tst_report.moc"
