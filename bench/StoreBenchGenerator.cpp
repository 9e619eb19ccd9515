// The lists of the generated register (types, calibres, manufacturers, authorities and countries),
// the towns and streets of its addresses, and the generator's entry point.
#include "StoreBenchGenerator.h"

#include "store/DatabaseFactory.h"

#include <QFile>
#include <memory>

namespace storebench {

const std::vector<Town>& Generator::towns() const {
    static const std::vector<Town> t = {{80331, "München"},
                                        {50667, "Köln"},
                                        {40213, "Düsseldorf"},
                                        {21335, "Lüneburg"},
                                        {97070, "Würzburg"},
                                        {90402, "Nürnberg"},
                                        {79098, "Freiburg im Breisgau"},
                                        {37073, "Göttingen"},
                                        {48143, "Münster"},
                                        {66111, "Saarbrücken"},
                                        {1067, "Dresden"},
                                        {4109, "Leipzig"},
                                        {99084, "Erfurt"},
                                        {24103, "Kiel"},
                                        {18055, "Rostock"},
                                        {34117, "Kassel"},
                                        {93047, "Regensburg"},
                                        {86150, "Augsburg"},
                                        {88212, "Ravensburg"},
                                        {82256, "Fürstenfeldbruck"},
                                        {83278, "Traunstein"},
                                        {87435, "Kempten (Allgäu)"},
                                        {94032, "Passau"},
                                        {95444, "Bayreuth"},
                                        {63739, "Aschaffenburg"},
                                        {35037, "Marburg"},
                                        {57072, "Siegen"},
                                        {59821, "Arnsberg"},
                                        {33098, "Paderborn"},
                                        {49074, "Osnabrück"},
                                        {26122, "Oldenburg"},
                                        {29221, "Celle"},
                                        {38100, "Braunschweig"},
                                        {6108, "Halle (Saale)"},
                                        {39104, "Magdeburg"},
                                        {14467, "Potsdam"},
                                        {3046, "Cottbus"},
                                        {17489, "Greifswald"},
                                        {54290, "Trier"},
                                        {56068, "Koblenz"},
                                        {72070, "Tübingen"},
                                        {78462, "Konstanz"},
                                        {91054, "Erlangen"},
                                        {92637, "Weiden i.d.OPf."}};
    return t;
}

QByteArray Generator::street() {
    static const std::vector<QString> stems = {
        QStringLiteral("Haupt"),  QStringLiteral("Bahnhof"),   QStringLiteral("Schul"),
        QStringLiteral("Garten"), QStringLiteral("Kirch"),     QStringLiteral("Berg"),
        QStringLiteral("Wald"),   QStringLiteral("Mühlen"),    QStringLiteral("Linden"),
        QStringLiteral("Rosen"),  QStringLiteral("Brücken"),   QStringLiteral("Schützen"),
        QStringLiteral("Jäger"),  QStringLiteral("Förster"),   QStringLiteral("Königs"),
        QStringLiteral("Eichen"), QStringLiteral("Buchen"),    QStringLiteral("Hölderlin"),
        QStringLiteral("Goethe"), QStringLiteral("Schiller"),  QStringLiteral("Fröbel"),
        QStringLiteral("Uhland"), QStringLiteral("Ährenfeld"), QStringLiteral("Ölmühlen")};
    static const std::vector<QString> kinds = {QStringLiteral("straße"), QStringLiteral("weg"),
                                               QStringLiteral("gasse"),  QStringLiteral("allee"),
                                               QStringLiteral("ring"),   QStringLiteral("str.")};
    QString s =
        m_rng.pick(stems) + m_rng.pick(kinds) + QLatin1Char(' ') + QString::number(m_rng.range(1, 180));
    if (m_rng.chance(0.08))
        s += QLatin1Char(char('a' + m_rng.below(4)));
    return u8(s);
}

void Generator::singleColumnList(const char* sql, const std::vector<QString>& values, int& count) {
    Insert ins(m_db, sql);
    for (const QString& v : values) {
        ins.text(1, u8(v)).run();
        ++count;
    }
}

void Generator::weaponTypes() {
    const std::vector<QString> types = {QStringLiteral("Repetierbüchse"),
                                        QStringLiteral("Bockdoppelflinte"),
                                        QStringLiteral("Querflinte"),
                                        QStringLiteral("Bockbüchsflinte"),
                                        QStringLiteral("Drilling"),
                                        QStringLiteral("Vierling"),
                                        QStringLiteral("Doppelbüchse"),
                                        QStringLiteral("Kipplaufbüchse"),
                                        QStringLiteral("Einzellader"),
                                        QStringLiteral("Selbstladebüchse"),
                                        QStringLiteral("Selbstladeflinte"),
                                        QStringLiteral("Pumpflinte"),
                                        QStringLiteral("Unterhebelrepetierer"),
                                        QStringLiteral("Geradzugrepetierer"),
                                        QStringLiteral("Kleinkaliberbüchse"),
                                        QStringLiteral("Kleinkaliber-Selbstlader"),
                                        QStringLiteral("Pistole"),
                                        QStringLiteral("Selbstladepistole"),
                                        QStringLiteral("Revolver"),
                                        QStringLiteral("Einzelschusspistole"),
                                        QStringLiteral("Sportpistole"),
                                        QStringLiteral("Luftgewehr"),
                                        QStringLiteral("Luftpistole"),
                                        QStringLiteral("CO2-Pistole"),
                                        QStringLiteral("Schreckschusspistole"),
                                        QStringLiteral("Signalpistole"),
                                        QStringLiteral("Vorderlader-Gewehr"),
                                        QStringLiteral("Vorderlader-Revolver"),
                                        QStringLiteral("Bergstutzen"),
                                        QStringLiteral("Büchsflinte"),
                                        QStringLiteral("Wechsellauf"),
                                        QStringLiteral("Einstecklauf"),
                                        QStringLiteral("Austauschlauf"),
                                        QStringLiteral("Schalldämpfer"),
                                        QStringLiteral("Wechselsystem"),
                                        QStringLiteral("Zimmerstutzen"),
                                        QStringLiteral("Armbrust"),
                                        QStringLiteral("Bolzenschussgerät"),
                                        QStringLiteral("Salutkanone"),
                                        QStringLiteral("Dekowaffe (unbrauchbar)")};
    singleColumnList(R"(INSERT INTO "Waffentyp" ("WTyp") VALUES (?))", types, m_counts.waffentyp);
}

void Generator::calibres() {
    std::vector<QString> c = {QStringLiteral("7x64"),
                              QStringLiteral("7x65 R"),
                              QStringLiteral("8x57 IS"),
                              QStringLiteral("8x57 IRS"),
                              QStringLiteral("8x60 S"),
                              QStringLiteral("8x68 S"),
                              QStringLiteral("9,3x62"),
                              QStringLiteral("9,3x74 R"),
                              QStringLiteral("6,5x55"),
                              QStringLiteral("6,5x57"),
                              QStringLiteral("6,5x57 R"),
                              QStringLiteral("6,5x68"),
                              QStringLiteral("5,6x50"),
                              QStringLiteral("5,6x50 R"),
                              QStringLiteral("5,6x52 R"),
                              QStringLiteral("5,6x57"),
                              QStringLiteral("7x57"),
                              QStringLiteral("7x57 R"),
                              QStringLiteral("8x75 RS"),
                              QStringLiteral("6,5x65 RWS"),
                              QStringLiteral("7 mm Rem. Mag."),
                              QStringLiteral(".222 Rem."),
                              QStringLiteral(".223 Rem."),
                              QStringLiteral(".243 Win."),
                              QStringLiteral(".270 Win."),
                              QStringLiteral(".30-06 Sprg."),
                              QStringLiteral(".308 Win."),
                              QStringLiteral(".300 Win. Mag."),
                              QStringLiteral(".338 Lapua Mag."),
                              QStringLiteral(".375 H&H Mag."),
                              QStringLiteral(".22 lfB"),
                              QStringLiteral(".22 kurz"),
                              QStringLiteral(".22 Hornet"),
                              QStringLiteral(".22 WMR"),
                              QStringLiteral(".17 HMR"),
                              QStringLiteral(".45 ACP"),
                              QStringLiteral(".357 Mag."),
                              QStringLiteral(".38 Spezial"),
                              QStringLiteral(".44 Rem. Mag."),
                              QStringLiteral(".40 S&W"),
                              QStringLiteral("10 mm Auto"),
                              QStringLiteral("9 mm Luger"),
                              QStringLiteral("9 mm kurz"),
                              QStringLiteral("7,65 mm Browning"),
                              QStringLiteral("6,35 mm Browning"),
                              QStringLiteral("9 mm P.A.K."),
                              QStringLiteral("9 mm R. Knall"),
                              QStringLiteral("4,5 mm Diabolo"),
                              QStringLiteral("5,5 mm Diabolo"),
                              QStringLiteral("12/70"),
                              QStringLiteral("12/76"),
                              QStringLiteral("12/89"),
                              QStringLiteral("16/70"),
                              QStringLiteral("20/70"),
                              QStringLiteral("20/76"),
                              QStringLiteral("28/70"),
                              QStringLiteral(".410/76"),
                              QStringLiteral("Kal. 4 mm M20"),
                              QStringLiteral("Kal. .45 (Vorderlader)"),
                              QStringLiteral("Kal. .54 Perkussion"),
                              QStringLiteral("Ø 15 mm Signal"),
                              QStringLiteral("ohne Kaliber")};
    // Combined guns name their barrels together, as dealers enter them.
    const std::vector<QString> shot = {QStringLiteral("12/70"), QStringLiteral("16/70"),
                                       QStringLiteral("20/76")};
    const std::vector<QString> ball = {
        QStringLiteral("7x65 R"),       QStringLiteral("8x57 IRS"),   QStringLiteral("9,3x74 R"),
        QStringLiteral(".22 Hornet"),   QStringLiteral("5,6x50 R"),   QStringLiteral("6,5x57 R"),
        QStringLiteral(".30-06 Sprg."), QStringLiteral("7x57 R"),     QStringLiteral("5,6x52 R"),
        QStringLiteral(".222 Rem."),    QStringLiteral("6,5x65 RWS"), QStringLiteral(".22 WMR"),
        QStringLiteral("8x75 RS"),      QStringLiteral(".308 Win."),  QStringLiteral("9,3x62"),
        QStringLiteral("7x64"),         QStringLiteral(".22 lfB"),    QStringLiteral(".17 HMR"),
        QStringLiteral("6,5x55"),       QStringLiteral(".243 Win.")};
    for (const QString& b : ball)
        for (const QString& s : shot)
            if (c.size() < 120)
                c.push_back(s + QStringLiteral(" – ") + b);
    singleColumnList(R"(INSERT INTO "Kaliber" ("Kaliber") VALUES (?))", c, m_counts.kaliber);
}

void Generator::manufacturers() {
    // Invented firms only.
    const std::vector<QString> prefixes = {
        QStringLiteral("Büchsenmacherei"), QStringLiteral("Jagdwaffen"),  QStringLiteral("Waffenfabrik"),
        QStringLiteral("Gebr."),           QStringLiteral("Sportwaffen"), QStringLiteral("Präzisionswaffen")};
    const std::vector<QString> names = {
        QStringLiteral("Köhler"),  QStringLiteral("Brückner"),  QStringLiteral("Döring"),
        QStringLiteral("Hübner"),  QStringLiteral("Lösch"),     QStringLiteral("Pfändler"),
        QStringLiteral("Rühl"),    QStringLiteral("Tröger"),    QStringLiteral("Wöhrle"),
        QStringLiteral("Zöllner"), QStringLiteral("Fürst"),     QStringLiteral("Gräber"),
        QStringLiteral("Häusler"), QStringLiteral("Jüngling"),  QStringLiteral("Kästner"),
        QStringLiteral("Lührs"),   QStringLiteral("Mühlbauer"), QStringLiteral("Nößler"),
        QStringLiteral("Öhlert"),  QStringLiteral("Ströbel"),   QStringLiteral("Ückermann"),
        QStringLiteral("Vögele"),  QStringLiteral("Wüst"),      QStringLiteral("Ebner"),
        QStringLiteral("Aßmann")};
    const std::vector<QString> suffixes = {QString(), QStringLiteral(" GmbH"), QStringLiteral(" & Söhne"),
                                           QStringLiteral(" KG"), QStringLiteral(" GmbH & Co. KG")};
    std::vector<QString> firms;
    for (const QString& n : names)
        for (const QString& p : prefixes)
            firms.push_back(p + QLatin1Char(' ') + n + m_rng.pick(suffixes));
    // Some entered in lower case or without prefix, as typed at the counter.
    for (std::size_t i = 0; i < firms.size(); i += 11)
        firms[i] = firms[i].toLower();
    singleColumnList(R"(INSERT INTO "Hersteller" ("Hersteller") VALUES (?))", firms, m_counts.hersteller);
}

void Generator::authorities() {
    const std::vector<QString> kinds = {QStringLiteral("Landratsamt"),
                                        QStringLiteral("Ordnungsamt"),
                                        QStringLiteral("Polizeipräsidium"),
                                        QStringLiteral("Kreisverwaltung"),
                                        QStringLiteral("Stadt – Waffenbehörde"),
                                        QStringLiteral("Kreispolizeibehörde"),
                                        QStringLiteral("Bürgeramt"),
                                        QStringLiteral("Waffenbehörde")};
    Insert addr(m_db, R"(INSERT INTO "Amt" ("Name", "Strasse", "PLZ", "Stadt") VALUES (?, ?, ?, ?))");
    for (const Town& t : towns())
        for (const QString& k : kinds) {
            const QString town = QString::fromUtf8(t.name);
            addr.text(1, u8(k + QLatin1Char(' ') + town))
                .text(2, street())
                .integer(3, t.plz + m_rng.below(9))
                .text(4, t.name)
                .run();
            ++m_counts.amt;
        }
    // Countries entered in place of an authority: a row with only its name.
    const std::vector<QString> countries = {
        QStringLiteral("Österreich"),    QStringLiteral("Schweiz"),
        QStringLiteral("Dänemark"),      QStringLiteral("Frankreich"),
        QStringLiteral("Belgien"),       QStringLiteral("Niederlande"),
        QStringLiteral("Polen"),         QStringLiteral("Tschechien"),
        QStringLiteral("Italien"),       QStringLiteral("Schweden"),
        QStringLiteral("Norwegen"),      QStringLiteral("Ungarn"),
        QStringLiteral("Luxemburg"),     QStringLiteral("Slowenien"),
        QStringLiteral("Rumänien"),      QStringLiteral("Spanien"),
        QStringLiteral("Finnland"),      QStringLiteral("Vereinigtes Königreich"),
        QStringLiteral("Liechtenstein"), QStringLiteral("Kroatien")};
    Insert country(m_db, R"(INSERT INTO "Amt" ("Name") VALUES (?))");
    m_firstCountry = 1 + m_counts.amt + 1;
    for (const QString& c : countries) {
        country.text(1, u8(c)).run();
        ++m_counts.amt;
        ++m_counts.countries;
    }
    m_authorities = 1 + m_counts.amt; // with placeholder row 1
}

GeneratedCounts generate(const QString& dbPath, int rows) {
    DatabaseFactory::create(dbPath);
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errstr(rc)));
    try {
        return Generator(db.get(), rows).run();
    } catch (...) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace storebench
