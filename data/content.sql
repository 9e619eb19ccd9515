-- Initial content of the delivered database.

-- Row 1 of Kaufer and Amt are the placeholders that unsold rows and rows without an authority
-- point to; their names are what the register shows for such rows.
INSERT INTO "Kaufer" ("Index", "Name", "Strasse", "PLZ", "Ort", "Geschlecht", "EWB", "EWBNR", "EWBDatum", "JDatum", "EWBAmt", "KAmt")
VALUES (1, '(nicht verkauft)', '', 0, '', 2, 1, '', NULL, NULL, 1, 1);

INSERT INTO "Amt" ("Index", "Name", "Strasse", "PLZ", "Stadt") VALUES (1, '(kein Amt)', '', 0, '');

-- Kind 1 is the default of new rows; for it the authority dialog asks for the issuing country.
INSERT INTO "EWB" ("Index", "EWB") VALUES
    (1, 'Ausländische Erwerbsberechtigung'),
    (2, 'Waffenbesitzkarte'),
    (3, 'Jagdschein'),
    (4, 'Europäischer Feuerwaffenpass'),
    (5, 'Waffenhandelserlaubnis'),
    (6, 'Ausnahmegenehmigung');

INSERT INTO "Geschlecht" ("Index", "Geschlecht", "Anrede") VALUES
    (1, 'weiblich', 'Sehr geehrte Frau'),
    (2, 'männlich', 'Sehr geehrter Herr');

INSERT INTO "Land" ("Land") VALUES
    ('Belgien'), ('Bulgarien'), ('Dänemark'), ('Estland'), ('Finnland'), ('Frankreich'),
    ('Griechenland'), ('Irland'), ('Island'), ('Italien'), ('Kroatien'), ('Lettland'),
    ('Liechtenstein'), ('Litauen'), ('Luxemburg'), ('Malta'), ('Niederlande'), ('Norwegen'),
    ('Österreich'), ('Polen'), ('Portugal'), ('Rumänien'), ('Schweden'), ('Schweiz'),
    ('Slowakei'), ('Slowenien'), ('Spanien'), ('Tschechien'), ('Ungarn'), ('Vereinigtes Königreich'),
    ('Vereinigte Staaten'), ('Zypern');

-- The settings row: login password, empty firm data (asked for at the first start),
-- a window of 1000 x 760, sort order "Index", readable colours and the usual options.
INSERT INTO "Benutzer" (
    "Index", "Name", "Passwort", "Firma", "Strasse", "Ort",
    "Oben", "Links", "Breit", "Hoch", "WinState", "Sortierung", "SFilter", "Aktuell",
    "TabHandel01", "TabHandel02", "TabHandel03", "TabHandel04", "TabHandel05", "TabHandel06",
    "TabHandel07", "TabHandel08", "TabHandel09", "TabHandel10", "TabHandel11", "TabHandel12",
    "TabHandel13", "TabHandel14", "TabHandel15", "TabHandel16",
    "TabKaufer01", "TabKaufer02", "TabKaufer03", "TabKaufer04", "TabKaufer05", "TabKaufer06",
    "TabKaufer07", "TabKaufer08", "TabKaufer09", "TabKaufer10", "TabKaufer11", "TabKaufer12",
    "TabWtyp", "TabKaliber", "TabHersteller", "TabAmt01", "TabAmt02", "TabAmt03", "TabAmt04",
    "TabEWB", "TabLand", "Spul",
    "Farbe00", "Farbe01", "Farbe02", "Farbe03", "Farbe04", "Farbe05", "Farbe06",
    "Farbe07", "Farbe08", "Farbe09", "Farbe10", "Farbe11", "Farbe12",
    "CheckDruckSort", "CheckSubTab", "CheckDataSave", "CheckTabChange", "CheckConnect", "CheckProgEnde",
    "SpulSpeed")
VALUES (
    1, 'Admin', 'Waffenbuch', '', '', '',
    40, 40, 1000, 760, 0, 0, 'select * from Vorgang', 0,
    45, 75, 120, 90, 120, 100, 140, 75, 140, 120, 100, 75, 120, 120, 75, 75,
    40, 180, 160, 60, 140, 70, 60, 120, 110, 75, 75, 120,
    250, 250, 250, 220, 180, 60, 160,
    250, 200, 0,
    15790320, 0, 128, 15263976, 0, 16777215, 0,
    15790320, 0, 16777215, 0, 14211288, 0,
    1, 1, 1, 0, 1, 1,
    10);
