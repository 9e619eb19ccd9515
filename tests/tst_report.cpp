// The report facility without windows: project files, filling templates from the data
// connections, and the walk over the datasets leaving every current row in place.
#include "common/DbError.h"
#include "printing/ReportEngine.h"
#include "printing/ReportStream.h"
#include "printing/ReportWalkGuard.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/TestFolder.h"

#include <QTest>

class TstReport : public QObject {
    Q_OBJECT
private slots:
    void framesAndTables();
    void linkedRowsAndTableCells();
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

void TstReport::framesAndTables() {
    QString error;
    const auto p = ReportProjectFile::parse(R"(<reportproject>
  <report name="Brief" first-top="98.5" marks="DIN5008">
    <frame left="25" top="63" width="85" height="27" pages="first">Anschrift</frame>
    <frame left="10" top="280" width="190" height="8">Seite {{Seite}}</frame>
    <frame left="10" top="5" width="190" height="8" pages="following">Fortsetzung</frame>
  </report>
  <report name="Liste">
    <table connection="RvDSetCon" font-size="8" padding="1">
      <column width="5" bold-line="2">
        <title>  Lfd.
                 Nr.  </title>
        <cell>
              {{Index}}
              {{SerienNr}}
        </cell>
      </column>
      <column width="15"><cell>{{Notiz}}</cell></column>
    </table>
  </report>
</reportproject>)",
                                            QStringLiteral("/x/p.rav"), &error);
    QVERIFY2(p, qPrintable(error));
    const ReportDefinition* brief = p->find(QStringLiteral("brief"));
    QCOMPARE(brief->firstTopMm, 98.5);
    QVERIFY(brief->foldMarks);
    QVERIFY(!brief->table);
    QCOMPARE(brief->frames.size(), 3);
    QCOMPARE(brief->frames[0].rectMm, QRectF(25, 63, 85, 27));
    QCOMPARE(brief->frames[0].pages, ReportFrame::Pages::First);
    QCOMPARE(brief->frames[1].pages, ReportFrame::Pages::All);
    QCOMPARE(brief->frames[2].pages, ReportFrame::Pages::Following);
    const ReportDefinition* liste = p->find(QStringLiteral("Liste"));
    QVERIFY(liste->table);
    QCOMPARE(liste->firstTopMm, -1.0);
    QCOMPARE(liste->table->connection, QStringLiteral("RvDSetCon"));
    QCOMPARE(liste->table->fontSize, 8.0);
    QCOMPARE(liste->table->columns.size(), 2);
    // Lines of titles and cells are trimmed; the empty ones at the ends dropped.
    QCOMPARE(liste->table->columns[0].title, QStringLiteral("Lfd.\nNr."));
    QCOMPARE(liste->table->columns[0].cellTemplate, QStringLiteral("{{Index}}\n{{SerienNr}}"));
    QCOMPARE(liste->table->columns[0].boldLine, 2);

    for (const char* bad :
         {"<reportproject><report name='a'><frame top='1' width='2' height='3'/></report></reportproject>",
          "<reportproject><report name='a'><frame left='1' top='1' width='0' "
          "height='3'/></report></reportproject>",
          "<reportproject><report name='a'><frame left='1' top='1' width='2' height='3' "
          "pages='jede'/></report>"
          "</reportproject>",
          "<reportproject><report name='a' first-top='x'/></reportproject>",
          "<reportproject><report name='a' marks='din676'/></reportproject>",
          "<reportproject><report name='a'><table><column width='3'/></table></report></reportproject>",
          "<reportproject><report name='a'><table connection='RvDSetCon'/></report></reportproject>",
          "<reportproject><report name='a'><table connection='RvDSetCon'><column/></table></report>"
          "</reportproject>",
          "<reportproject><report name='a'><table connection='RvDSetCon' font-size='99'><column width='1'/>"
          "</table></report></reportproject>"}) {
        error.clear();
        QVERIFY2(!ReportProjectFile::parse(bad, QStringLiteral("/x/p.rav"), &error), bad);
        QVERIFY2(error.contains(QStringLiteral("/x/p.rav")), qPrintable(error));
    }
}

void TstReport::linkedRowsAndTableCells() {
    TestFolder folder;
    addSampleData(folder);
    TDatMod dm;
    dm.Connect();
    QVERIFY(dm.ASet_Vorgang->locate(QStringLiteral("Index"), 3));
    const auto conns = ReportEngine::connections(dm);
    ReportDefinition def;
    // The buyer's and the authority's addresses through the current row; postcodes with five
    // digits; flags for keys that are set.
    def.templateText = QStringLiteral(
        "{{#RvDSetCon.current}}{{#KauferDaten}}{{Name}}, {{Strasse}}, {{PLZ}} {{Ort}}{{/KauferDaten}}|"
        "{{#KauferAmtDaten}}{{Name}}, {{PLZ}} {{Stadt}}{{/KauferAmtDaten}}|"
        "{{#HatKaufer}}verkauft{{/HatKaufer}}{{^HatVerkaufer}}ohne "
        "Verkäufer{{/HatVerkaufer}}{{/RvDSetCon.current}}|"
        "{{RvDataSet_Kauf.count}}:{{#RvDataSet_Kauf.rows}}x{{/RvDataSet_Kauf.rows}}|{{#RvDSetCon.rows}}r{{/"
        "RvDSetCon.rows}}");
    QCOMPARE(ReportEngine::fill(def, ReportData::build(conns, def.templateText)),
             QStringLiteral("Hans Jäger, Waldweg 3, 34117 Kassel|Landratsamt Meißen, 01662 Meißen|verkauft|"
                            "4:xxxx|rrrr"));
    // Rows of a connection the template does not name are not copied (a letter on a large
    // register); the count is there all the same.
    def.templateText = QStringLiteral("{{RvDSetCon.count}}{{#RvDSetCon.rows}}r{{/RvDSetCon.rows}}");
    const auto values = ReportData::build(conns, QStringLiteral("{{RvDSetCon.count}}"));
    QCOMPARE(ReportEngine::fill(def, values), QStringLiteral("4"));

    // A table report: cells are plain text, one per column, not HTML-escaped.
    ReportDefinition list;
    list.name = QStringLiteral("Liste");
    list.table = ReportTable{};
    list.table->connection = QStringLiteral("rvdsetcon");
    list.table->columns = {
        {10, QStringLiteral("Nr."), QStringLiteral("{{Index}}"), 0},
        {20, QStringLiteral("Hersteller"), QStringLiteral("{{ViewHersteller}}\n{{SerienNr}}"), 2},
        {20, QStringLiteral("Käufer"),
         QStringLiteral("{{#HatKaufer}}{{ViewKaufer}}{{/HatKaufer}}{{^HatKaufer}}im Bestand{{/HatKaufer}}"),
         0}};
    const ReportStream stream(list, conns);
    QVERIFY(stream.isTable());
    QCOMPARE(stream.rowCount(), 4);
    QCOMPARE(stream.cells(1), (QStringList{QStringLiteral("2"), QStringLiteral("Sauer & Sohn\nS-88123"),
                                           QStringLiteral("im Bestand")}));
    QCOMPARE(stream.cells(2)[2], QStringLiteral("Hans Jäger"));
    // A connection that does not exist is named in the error.
    list.table->connection = QStringLiteral("RvGibtEsNicht");
    try {
        ReportStream broken(list, conns);
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("RvGibtEsNicht")), qPrintable(e.message()));
    }
    QCOMPARE(dm.ASet_Vorgang->recNo(), 3);
}

QTEST_GUILESS_MAIN(TstReport)
#include "tst_report.moc"
