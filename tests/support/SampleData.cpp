#include "support/SampleData.h"

#include "support/TestFolder.h"

void addSampleData(const TestFolder& folder) {
    folder.sql(QStringLiteral(R"(
INSERT INTO "Waffentyp" ("WTyp") VALUES ('Bockbüchsflinte'), ('Repetierbüchse'), ('Pistole'), ('Revolver'), ('Flinte');
INSERT INTO "Kaliber" ("Kaliber") VALUES ('7x64'), ('.308 Win.'), ('9 mm Luger'), ('12/70'), ('.357 Magnum');
INSERT INTO "Hersteller" ("Hersteller") VALUES ('Merkel'), ('Sauer & Sohn'), ('Walther'), ('Heckler & Koch'), ('Blaser');
INSERT INTO "Kaufer" ("Name", "Strasse", "PLZ", "Ort", "Geschlecht", "EWB", "EWBNR", "EWBDatum", "JDatum", "EWBAmt", "KAmt") VALUES
  ('Hans Jäger', 'Waldweg 3', 34117, 'Kassel', 2, 3, 'JS-4711', '2019-04-01', '2027-03-31', 2, 2),
  ('Erika Förster', 'Am Markt 12', 1067, 'Dresden', 1, 2, 'WBK 22/2018', '2018-06-15', NULL, 3, 3),
  ('Waffen Schmidt GmbH', 'Industriestraße 5', 80331, 'München', 2, 5, 'WHE-77', '2015-01-10', NULL, 4, 4);
INSERT INTO "Amt" ("Name", "Strasse", "PLZ", "Stadt") VALUES
  ('Ordnungsamt Kassel', 'Obere Königsstraße 8', 34117, 'Kassel'),
  ('Landratsamt Meißen', 'Brauhausstraße 21', 1662, 'Meißen'),
  ('Kreisverwaltung München', 'Ruppertstraße 19', 80337, 'München'),
  ('Österreich', '', 0, '');
INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer", "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum", "Notiz") VALUES
  ('2024-02-01', 1, 1, 1, 'M-102934', 4, NULL, 1, 1, '', NULL, 1, 1, NULL, NULL, 'Kommission'),
  ('2024-03-12', 2, 2, 2, 'S-88123', 4, NULL, 1, 1, '', NULL, 1, 1, NULL, NULL, ''),
  ('2024-04-20', 3, 3, 3, 'W-551200', 4, '2024-06-03', 2, 3, 'JS-4711', '2027-03-31', 2, 3, '2019-04-01', '2024-06-04', 'Neuwaffe'),
  ('2024-05-05', 5, 4, 5, 'B-7001', 3, NULL, 1, 1, '', NULL, 1, 1, NULL, NULL, '');
)"));
}
