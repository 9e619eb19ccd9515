// Store benchmark: generates a large register and times the data module's operations against the
// same statements stepped directly through the SQLite C API on the same connection.
//
//   bench_store [--rows N] [--reps N] [--keep DIR]
//
// Without --keep the register lives in a temporary folder that is removed at the end.
// BENCH_TIMES=1 prints every single run to stderr, BENCH_PEAKS=1 the peak memory of each line.

#include "BenchTiming.h"
#include "common/Allocator.h"
#include "common/DbError.h"
#include "common/Konst.h"
#include "store/DatabaseFactory.h"
#include "store/JetTranslator.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "store/TDatMod.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace {

// ------------------------------------------------------------------ random numbers

// splitmix64: the same sequence on every platform and standard library, so runs are repeatable.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // 1..n with the low numbers far more frequent, as a few types and calibres dominate a register.
    int skewed(int n) { return 1 + std::min(n - 1, int(double(n) * unit() * unit())); }
    template <class T> const T& pick(const std::vector<T>& v) { return v[std::size_t(below(int(v.size())))]; }

private:
    quint64 m_state;
};

// ------------------------------------------------------------------ insert helper

class Insert {
public:
    Insert(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& integer(int i, qint64 v) {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Insert& text(int i, const QByteArray& v) {
        sqlite3_bind_text(m_stmt, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& text(int i, const char* v) {
        sqlite3_bind_text(m_stmt, i, v, -1, SQLITE_TRANSIENT);
        return *this;
    }
    Insert& null(int i) {
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    // An invalid date is stored as NULL, as the program stores an empty date.
    Insert& date(int i, const QDate& d) {
        if (!d.isValid())
            return null(i);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        sqlite3_bind_text(m_stmt, i, buf, 10, SQLITE_TRANSIENT);
        return *this;
    }
    void run() {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void execOrThrow(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        throw DbError(text);
    }
}

QByteArray u8(const QString& s) {
    return s.toUtf8();
}

// ------------------------------------------------------------------ register generator

struct Town {
    int plz;
    const char* name;
};

struct GeneratedCounts {
    int vorgang = 0;
    int kaufer = 0;
    int waffentyp = 0;
    int kaliber = 0;
    int hersteller = 0;
    int amt = 0;
    int countries = 0;
    int unsold = 0;
    int danglingKeys = 0;
};

class Generator {
public:
    Generator(sqlite3* db, int rows) : m_db(db), m_rows(rows) {}

    GeneratedCounts run() {
        execOrThrow(m_db, "BEGIN");
        weaponTypes();
        calibres();
        manufacturers();
        authorities();
        partners();
        registerRows();
        execOrThrow(m_db, "COMMIT");
        return m_counts;
    }

private:
    static constexpr int kPartners = 10000; // rows of Kaufer including placeholder row 1
    // Keys that match no row, as left behind by deleted list entries.
    static constexpr int kMissingKey = 999999;

    const std::vector<Town>& towns() const {
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

    QByteArray street() {
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

    void singleColumnList(const char* sql, const std::vector<QString>& values, int& count) {
        Insert ins(m_db, sql);
        for (const QString& v : values) {
            ins.text(1, u8(v)).run();
            ++count;
        }
    }

    void weaponTypes() {
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

    void calibres() {
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

    void manufacturers() {
        // Invented firms only.
        const std::vector<QString> prefixes = {
            QStringLiteral("Büchsenmacherei"), QStringLiteral("Jagdwaffen"),
            QStringLiteral("Waffenfabrik"),    QStringLiteral("Gebr."),
            QStringLiteral("Sportwaffen"),     QStringLiteral("Präzisionswaffen")};
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

    void authorities() {
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

    int authority() { return m_rng.range(2, m_firstCountry - 1); }
    int country() { return m_rng.range(m_firstCountry, m_authorities); }

    QByteArray permitNumber(int kind, const QDate& issued) {
        const int year = issued.isValid() ? issued.year() : 2000;
        switch (kind) {
        case 1:
            return u8(QStringLiteral("A-%1").arg(m_rng.range(100000, 999999)));
        case 3:
            return u8(QStringLiteral("JS-%1/%2").arg(m_rng.range(1, 9999)).arg(year));
        case 4:
            return u8(QStringLiteral("EFP %1").arg(m_rng.range(1000000, 9999999)));
        case 5:
            return u8(QStringLiteral("WHE-%1").arg(m_rng.range(10, 999)));
        case 6:
            return u8(QStringLiteral("AG %1-%2").arg(m_rng.range(1, 99)).arg(year));
        default:
            return u8(QStringLiteral("WBK %1/%2").arg(m_rng.range(1, 24999)).arg(year));
        }
    }

    int permitKind() {
        const double u = m_rng.unit();
        return u < 0.68 ? 2 : u < 0.90 ? 3 : u < 0.95 ? 4 : u < 0.97 ? 5 : u < 0.98 ? 6 : 1;
    }

    void partners() {
        static const std::vector<QString> men = {
            QStringLiteral("Jürgen"),     QStringLiteral("Günter"),     QStringLiteral("Klaus"),
            QStringLiteral("Hans-Peter"), QStringLiteral("Jörg"),       QStringLiteral("Björn"),
            QStringLiteral("Uwe"),        QStringLiteral("Matthias"),   QStringLiteral("Stefan"),
            QStringLiteral("Andreas"),    QStringLiteral("Michael"),    QStringLiteral("Wolfgang"),
            QStringLiteral("Dieter"),     QStringLiteral("Horst"),      QStringLiteral("Rüdiger"),
            QStringLiteral("Sören"),      QStringLiteral("Karl-Heinz"), QStringLiteral("Friedrich"),
            QStringLiteral("Maximilian"), QStringLiteral("Tobias"),     QStringLiteral("Florian"),
            QStringLiteral("Götz"),       QStringLiteral("Lukas"),      QStringLiteral("Bernd")};
        static const std::vector<QString> women = {
            QStringLiteral("Sabine"),  QStringLiteral("Ursula"),    QStringLiteral("Gisela"),
            QStringLiteral("Bärbel"),  QStringLiteral("Jutta"),     QStringLiteral("Käthe"),
            QStringLiteral("Renate"),  QStringLiteral("Monika"),    QStringLiteral("Brigitte"),
            QStringLiteral("Anja"),    QStringLiteral("Claudia"),   QStringLiteral("Susanne"),
            QStringLiteral("Marlene"), QStringLiteral("Hannelore"), QStringLiteral("Dörte"),
            QStringLiteral("Heike"),   QStringLiteral("Annegret"),  QStringLiteral("Katharina")};
        static const std::vector<QString> surnames = {
            QStringLiteral("Müller"),       QStringLiteral("Schmidt"),     QStringLiteral("Schneider"),
            QStringLiteral("Fischer"),      QStringLiteral("Weber"),       QStringLiteral("Meyer"),
            QStringLiteral("Wagner"),       QStringLiteral("Becker"),      QStringLiteral("Schulz"),
            QStringLiteral("Hoffmann"),     QStringLiteral("Schäfer"),     QStringLiteral("Koch"),
            QStringLiteral("Bauer"),        QStringLiteral("Richter"),     QStringLiteral("Klein"),
            QStringLiteral("Wolf"),         QStringLiteral("Schröder"),    QStringLiteral("Neumann"),
            QStringLiteral("Schwarz"),      QStringLiteral("Zimmermann"),  QStringLiteral("Braun"),
            QStringLiteral("Krüger"),       QStringLiteral("Hartmann"),    QStringLiteral("Lange"),
            QStringLiteral("Werner"),       QStringLiteral("Krause"),      QStringLiteral("Lehmann"),
            QStringLiteral("Köhler"),       QStringLiteral("Herrmann"),    QStringLiteral("König"),
            QStringLiteral("Walter"),       QStringLiteral("Huber"),       QStringLiteral("Kaiser"),
            QStringLiteral("Fuchs"),        QStringLiteral("Möller"),      QStringLiteral("Weiß"),
            QStringLiteral("Jung"),         QStringLiteral("Hahn"),        QStringLiteral("Vogel"),
            QStringLiteral("Günther"),      QStringLiteral("Böhm"),        QStringLiteral("Krämer"),
            QStringLiteral("Jäger"),        QStringLiteral("Groß"),        QStringLiteral("Kühn"),
            QStringLiteral("Brandt"),       QStringLiteral("Haas"),        QStringLiteral("Ziegler"),
            QStringLiteral("Engel"),        QStringLiteral("Bergmann"),    QStringLiteral("Pfeiffer"),
            QStringLiteral("Öztürk"),       QStringLiteral("Ebert"),       QStringLiteral("Förster"),
            QStringLiteral("von Dörnberg"), QStringLiteral("Straßburger"), QStringLiteral("Ähnlich"),
            QStringLiteral("Übel"),         QStringLiteral("Ulrich"),      QStringLiteral("Abt"),
            QStringLiteral("Zöller"),       QStringLiteral("Mäder"),       QStringLiteral("Oehler"),
            QStringLiteral("Lüdecke"),      QStringLiteral("Nüßlein"),     QStringLiteral("Seidel")};
        static const std::vector<QString> firms = {
            QStringLiteral("Waffen %1 GmbH"), QStringLiteral("Jagdhaus %1"),
            QStringLiteral("Schützenverein %1 e.V."), QStringLiteral("Büchsenmacher %1")};
        Insert ins(m_db,
                   R"(INSERT INTO "Kaufer" ("Name", "Strasse", "PLZ", "Ort", "Geschlecht", "EWB", "EWBNR",
                              "EWBDatum", "JDatum", "EWBAmt", "KAmt") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
        m_counts.kaufer = 1;
        for (int i = 2; i <= kPartners; ++i) {
            const bool woman = m_rng.chance(0.12);
            QString name;
            if (m_rng.chance(0.03))
                name = QString(m_rng.pick(firms)).arg(m_rng.pick(surnames));
            else
                name = m_rng.pick(woman ? women : men) + QLatin1Char(' ') + m_rng.pick(surnames);
            const Town& t = towns()[std::size_t(m_rng.below(int(towns().size())))];
            const int kind = permitKind();
            const QDate issued = QDate(1975, 1, 1).addDays(m_rng.below(18000));
            ins.text(1, u8(name)).text(2, street()).integer(3, t.plz + m_rng.below(90)).text(4, t.name);
            ins.integer(5, woman ? 1 : 2)
                .integer(6, kind)
                .text(7, permitNumber(kind, issued))
                .date(8, issued);
            ins.date(9, kind == 3 ? issued.addYears(m_rng.range(1, 3)) : QDate());
            ins.integer(10, kind == 1 ? country() : authority()).integer(11, authority());
            ins.run();
            ++m_counts.kaufer;
        }
    }

    QByteArray serialNumber() {
        switch (m_rng.below(5)) {
        case 0:
            return u8(
                QStringLiteral("%1%2").arg(QChar(u'A' + m_rng.below(26))).arg(m_rng.range(100000, 999999)));
        case 1:
            return u8(QStringLiteral("%1-%2").arg(m_rng.range(10, 99)).arg(m_rng.range(10000, 99999)));
        case 2:
            return u8(
                QStringLiteral("%1%2").arg(m_rng.range(1000, 999999)).arg(QChar(u'a' + m_rng.below(26))));
        case 3:
            return u8(QStringLiteral("SN %1").arg(m_rng.range(1, 9999999)));
        default:
            return u8(QString::number(m_rng.range(1000, 99999999)));
        }
    }

    void registerRows() {
        static const std::vector<QString> notes = {QStringLiteral("Kommissionsware"),
                                                   QStringLiteral("Übernahme aus Nachlass"),
                                                   QStringLiteral("Rückgabe an Hersteller"),
                                                   QStringLiteral("zur Reparatur beim Büchsenmacher"),
                                                   QStringLiteral("Überprüfung durch Behörde"),
                                                   QStringLiteral("Schaft getauscht"),
                                                   QStringLiteral("Zielfernrohr montiert"),
                                                   QStringLiteral("ohne Magazin"),
                                                   QStringLiteral("mit Wechsellauf"),
                                                   QStringLiteral("aus Erbschaft übernommen"),
                                                   QStringLiteral("älteres Modell, Gebrauchsspuren"),
                                                   QStringLiteral("Export genehmigt"),
                                                   QStringLiteral("Beschuss erneuert"),
                                                   QStringLiteral("Tausch gegen Neuwaffe"),
                                                   QStringLiteral("Ölschaden am Verschluss")};
        Insert ins(m_db, R"(INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr",
                              "Verkaufer", "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt",
                              "AmtDatum", "BriefDatum", "Notiz")
                            VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
        const QDate first(1990, 1, 2);
        const QDate today(2025, 6, 30);
        const qint64 span = first.daysTo(today) - 200;
        for (int i = 0; i < m_rows; ++i) {
            // The register is kept in order of acquisition; a few entries come late.
            const QDate kd = first.addDays(qint64(i) * span / std::max(1, m_rows) + m_rng.range(-5, 3));
            const double progress = double(i) / std::max(1, m_rows);
            // Recent acquisitions are more often still in stock: 30 % over the whole register.
            const bool unsold = m_rng.chance(0.05 + 0.5 * progress);
            int typ = m_rng.skewed(m_counts.waffentyp);
            int kal = m_rng.skewed(m_counts.kaliber);
            int her = m_rng.skewed(m_counts.hersteller);
            int verk = m_rng.chance(0.08) ? 1 : m_rng.range(2, kPartners);
            int kauf = 1;
            int ewb = 1;
            int amt = 1;
            int kamt = 1;
            QDate vd, jd, ad, bd;
            QByteArray ewbnr;
            if (!unsold) {
                kauf = m_rng.range(2, kPartners);
                vd = std::min(today, kd.addDays(m_rng.range(1, 900)));
                ewb = permitKind();
                ad = vd.addDays(-m_rng.range(30, 7000));
                ewbnr = permitNumber(ewb, ad);
                if (ewb == 3 || m_rng.chance(0.1))
                    jd = vd.addDays(m_rng.range(1, 1095));
                amt = ewb == 1 ? country() : authority();
                kamt = authority();
                if (m_rng.chance(0.85))
                    bd = vd.addDays(m_rng.range(0, 14));
            }
            // Keys that point at no row (deleted list entries, rows from older program versions).
            if (i % 4999 == 17)
                typ = kMissingKey;
            if (i % 7919 == 5)
                kal = 0;
            if (i % 6007 == 3)
                her = kMissingKey;
            if (i % 9001 == 7 && !unsold)
                kauf = 0;
            if (i % 8009 == 11 && !unsold)
                kauf = kMissingKey;
            if (i % 5003 == 2)
                amt = kMissingKey;
            if (i % 10007 == 13)
                ewb = 77;
            m_counts.danglingKeys += (typ == kMissingKey) + (kal == 0) + (her == kMissingKey) +
                                     (kauf == 0 || kauf == kMissingKey) + (amt == kMissingKey) + (ewb == 77);

            ins.date(1, kd).integer(2, typ).integer(3, kal).integer(4, her);
            if (m_rng.chance(0.005))
                ins.null(5);
            else
                ins.text(5, serialNumber());
            ins.integer(6, verk).date(7, vd).integer(8, kauf).integer(9, ewb);
            if (unsold)
                ins.null(10);
            else
                ins.text(10, ewbnr);
            ins.date(11, jd).integer(12, amt).integer(13, kamt).date(14, ad).date(15, bd);
            if (m_rng.chance(0.22))
                ins.text(16, u8(m_rng.pick(notes)));
            else
                ins.null(16);
            ins.run();
            ++m_counts.vorgang;
            m_counts.unsold += kauf == 1;
        }
    }

    sqlite3* m_db;
    int m_rows;
    Rng m_rng{20240611};
    GeneratedCounts m_counts;
    int m_firstCountry = 2;
    int m_authorities = 1;
};

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

// ------------------------------------------------------------------ raw baseline

volatile quint64 g_sink = 0; // keeps the raw loops from being optimised away

struct Prepared {
    QByteArray sql;
    QVariantList params;
};

Prepared translated(const QString& jetText) {
    const jet::Translation t = jet::translate(jetText, schema::lookup());
    return {t.sql.toUtf8(), t.params};
}

// Steps the statement and reads every column of every row; returns the row count.
qint64 rawRead(sqlite3* db, const Prepared& p) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, p.sql.constData(), int(p.sql.size()), &st, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    for (int i = 0; i < p.params.size(); ++i) {
        const QVariant& v = p.params.at(i);
        const QByteArray text = v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate).toUtf8()
                                                               : v.toString().toUtf8();
        sqlite3_bind_text(st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    const int n = sqlite3_column_count(st);
    qint64 rows = 0;
    quint64 sum = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sum += quint64(sqlite3_column_int64(st, c));
                break;
            case SQLITE_TEXT: {
                const unsigned char* t = sqlite3_column_text(st, c);
                const int len = sqlite3_column_bytes(st, c);
                sum += quint64(len) + (len > 0 ? t[0] : 0);
                break;
            }
            case SQLITE_FLOAT:
                sum += quint64(sqlite3_column_double(st, c));
                break;
            case SQLITE_BLOB:
                sum += quint64(sqlite3_column_bytes(st, c));
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    g_sink = g_sink + sum;
    return rows;
}

// ------------------------------------------------------------------ timing and report

double median(std::vector<double> times, const char* what) {
    std::sort(times.begin(), times.end());
    if (qEnvironmentVariableIsSet("BENCH_TIMES")) {
        std::fprintf(stderr, "%-6s", what);
        for (double t : times)
            std::fprintf(stderr, " %.2f", t);
        std::fprintf(stderr, "\n");
    }
    return times[times.size() / 2];
}

double elapsedMs(const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Timing {
    double store = 0;
    double raw = 0;
};

// Store and raw runs alternate, so that load from other processes on the shared machine falls on
// both alike; `prepare` runs untimed before each store run.
Timing measure(int reps, const std::function<void()>& store, const std::function<void()>& raw,
               const std::function<void()>& prepare = {}) {
    std::vector<double> s, r;
    for (int i = 0; i < reps; ++i) {
        if (prepare)
            prepare();
        s.push_back(elapsedMs(store));
        r.push_back(elapsedMs(raw));
    }
    return {median(s, "store"), median(r, "raw")};
}

QByteArray padded(const QString& s, int width) {
    QString t = s;
    if (t.size() < width)
        t += QString(width - t.size(), QLatin1Char(' '));
    return t.toUtf8();
}

struct Line {
    QString what;
    qint64 rows = 0;
    double store = 0;
    double raw = 0;
    double target = 0; // maximal store/raw ratio
};

int g_missed = 0;

void printHeader() {
    std::printf("%s %8s %10s %10s %8s %8s  %s\n", padded(QStringLiteral("Messung"), 44).constData(), "Zeilen",
                "Store ms", "Roh ms", "Faktor", "Ziel", "");
    std::printf("%s\n", QByteArray(44 + 1 + 8 + 1 + 10 + 1 + 10 + 1 + 8 + 1 + 8 + 6, '-').constData());
}

void printLine(const Line& l) {
    const double ratio = l.raw > 0 ? l.store / l.raw : 0;
    const bool ok = ratio <= l.target;
    g_missed += ok ? 0 : 1;
    const QString target = QStringLiteral("≤ %1").arg(l.target);
    std::printf(
        "%s %8lld %10.1f %10.1f %8.3f %s  %s\n", padded(l.what, 44).constData(),
        static_cast<long long>(l.rows), l.store, l.raw, ratio,
        padded(QString(8 - std::min<qsizetype>(8, target.size()), QLatin1Char(' ')) + target, 8).constData(),
        ok ? "OK" : "MISSED");
    // BENCH_PEAKS=1: the peak memory of each line, to find what the overall peak comes from.
    if (qEnvironmentVariableIsSet("BENCH_PEAKS")) {
        std::fprintf(stderr, "    Spitze dieser Zeile: %.1f MB (davon SQLite höchstens %.1f MB)\n",
                     peakMemoryMb(), double(sqlite3_memory_highwater(1)) / (1024.0 * 1024.0));
        resetPeakMemory();
    }
    std::fflush(stdout);
}

struct Options {
    int rows = 100000;
    int reps = 5;
    QString keep;
};

std::optional<Options> parseOptions(const QStringList& args) {
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--rows") && hasValue)
            o.rows = args.at(++i).toInt(&ok);
        else if (a == QLatin1String("--reps") && hasValue)
            o.reps = args.at(++i).toInt(&ok);
        else if (a == QLatin1String("--keep") && hasValue)
            o.keep = args.at(++i);
        else
            ok = false;
        if (!ok || o.rows < 1 || o.reps < 1)
            return std::nullopt;
    }
    return o;
}

int runBenchmark(const Options& opt, const QString& appDir) {
    const QString dbPath = QDir(appDir).filePath(QStringLiteral("Waffenbuch.mdb"));
    QElapsedTimer genTimer;
    genTimer.start();
    const GeneratedCounts g = generate(dbPath, opt.rows);
    std::printf("Register erzeugt in %.0f ms: %d Vorgänge (%d nicht verkauft, %d Schlüssel ohne Zeile), "
                "%d Partner, %d Waffentypen, %d Kaliber, %d Hersteller, %d Ämter (davon %d Länder); "
                "Datei %.1f MB\n",
                double(genTimer.nsecsElapsed()) / 1e6, g.vorgang, g.unsold, g.danglingKeys, g.kaufer,
                g.waffentyp, g.kaliber, g.hersteller, g.amt, g.countries,
                double(QFileInfo(dbPath).size()) / (1024.0 * 1024.0));
    if (qEnvironmentVariableIsSet("BENCH_PEAKS")) {
        std::fprintf(stderr, "    Spitze der Erzeugung: %.1f MB\n", peakMemoryMb());
        resetPeakMemory();
    }
    std::printf("Ordner: %s\nMedian aus %d Läufen.\n\n",
                QDir::toNativeSeparators(appDir).toUtf8().constData(), opt.reps);

    Konst::reset();
    Konst::AppDir = QDir::toNativeSeparators(QDir(appDir).absolutePath() + QLatin1Char('/'));
    QString password;
    Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, password);

    TDatMod datMod;
    Dataset* reg = datMod.ASet_Vorgang;
    printHeader();

    // Connect, from the disconnected state each time.
    Line connect{QStringLiteral("TDatMod::Connect (alle Datenmengen)"), 0, 0, 0, 1.5};
    std::vector<Prepared> connectStatements;
    for (const Dataset* d : datMod.tableDatasets())
        connectStatements.push_back(translated(QStringLiteral("select * from ") + d->tableName()));
    connectStatements.push_back(
        translated(QStringLiteral("select * from ") + datMod.ATab_Geschlecht->tableName()));
    connectStatements.push_back(translated(RegisterQuery::kWholeRegister));
    // The raw reads run on the connection that Connect has just opened.
    const Timing ct = measure(
        opt.reps, [&] { datMod.Connect(); },
        [&] {
            for (const Prepared& p : connectStatements)
                rawRead(datMod.ADOCon.handle(), p);
        },
        [&] { datMod.Disconnect(); });
    connect.store = ct.store;
    connect.raw = ct.raw;
    sqlite3* db = datMod.ADOCon.handle();
    connect.rows = reg->recordCount();
    printLine(connect);

    auto openRegister = [&](const QString& text) {
        reg->close();
        reg->setCommandText(text);
        reg->open();
    };
    auto registerLine = [&](const QString& what, const QString& text) {
        Line l{what, 0, 0, 0, 1.5};
        const Prepared p = translated(text);
        qint64 rawRows = 0;
        const Timing t = measure(
            opt.reps, [&] { openRegister(text); }, [&] { rawRows = rawRead(db, p); });
        l.store = t.store;
        l.raw = t.raw;
        l.rows = reg->recordCount();
        if (rawRows != l.rows)
            std::printf("  Zeilenzahl weicht ab: Store %lld, roh %lld\n", static_cast<long long>(l.rows),
                        static_cast<long long>(rawRows));
        printLine(l);
        return l;
    };

    // The statement path: every open runs the query.
    reg->setInMemoryResort(false);
    Line whole =
        registerLine(QStringLiteral("Register \"select * from Vorgang\""), RegisterQuery::kWholeRegister);
    for (int i = 0; i < RegisterQuery::kSortCount; ++i)
        registerLine(QStringLiteral("Sortierung %1 %2").arg(i, 2).arg(RegisterQuery::sortNames().at(i)),
                     RegisterQuery::sortQuery(i));

    // The path the program takes: a change of the sort order re-orders the rows kept in memory.
    // Each timed open comes from another sort order (untimed), as a title click does.
    reg->setInMemoryResort(true);
    // Opening reads the whole register (and keeps its rows); a return to it is served from memory.
    openRegister(RegisterQuery::kWholeRegister);
    whole.what = QStringLiteral("Register öffnen (Zeilen behalten)");
    whole.target = 1.2;
    {
        const Prepared p = translated(RegisterQuery::kWholeRegister);
        const Timing t = measure(
            opt.reps, [&] { reg->fullRefresh(); }, [&] { rawRead(db, p); });
        whole.store = t.store;
        whole.raw = t.raw;
        whole.rows = reg->recordCount();
        printLine(whole);
    }
    auto inMemoryLine = [&](int i, bool descending) {
        const QString text = RegisterQuery::sortQuery(i) + (descending ? QStringLiteral(" DESC") : QString());
        Line l{QStringLiteral("im Speicher %1 %2%3")
                   .arg(i, 2)
                   .arg(RegisterQuery::sortNames().at(i),
                        descending ? QStringLiteral(" absteigend") : QString()),
               0, 0, 0, 0.25};
        const Prepared p = translated(text);
        qint64 rawRows = 0;
        int served = 0;
        const Timing t = measure(
            opt.reps,
            [&] {
                const int before = reg->inMemoryOpenCount();
                openRegister(text);
                served += reg->inMemoryOpenCount() - before;
            },
            [&] { rawRows = rawRead(db, p); },
            [&] { openRegister(RegisterQuery::sortQuery((i + 1) % RegisterQuery::kSortCount)); });
        l.store = t.store;
        l.raw = t.raw;
        l.rows = reg->recordCount();
        if (rawRows != l.rows)
            std::printf("  Zeilenzahl weicht ab: Store %lld, roh %lld\n", static_cast<long long>(l.rows),
                        static_cast<long long>(rawRows));
        if (served != opt.reps) {
            ++g_missed;
            std::printf("  FEHLER: nur %d von %d Öffnungen aus dem Speicher\n", served, opt.reps);
        }
        printLine(l);
    };
    {
        Line back{QStringLiteral("im Speicher: select * from Vorgang"), 0, 0, 0, 0.25};
        const Prepared p = translated(RegisterQuery::kWholeRegister);
        const int before = reg->inMemoryOpenCount();
        const Timing t = measure(
            opt.reps, [&] { openRegister(RegisterQuery::kWholeRegister); }, [&] { rawRead(db, p); },
            [&] { openRegister(RegisterQuery::sortQuery(7)); });
        back.store = t.store;
        back.raw = t.raw;
        back.rows = reg->recordCount();
        if (reg->inMemoryOpenCount() - before != 2 * opt.reps) {
            ++g_missed;
            std::printf("  FEHLER: nicht jede Öffnung aus dem Speicher\n");
        }
        printLine(back);
    }
    for (int i = 0; i < RegisterQuery::kSortCount; ++i)
        inMemoryLine(i, false);
    for (int i : {5, 7})
        inMemoryLine(i, true);

    // Cheap operations get more runs: a single slow disk flush of another process must not decide.
    const int cheapReps = std::max(opt.reps, 21);

    // CountUnsold on the whole register against one raw read of it.
    openRegister(RegisterQuery::kWholeRegister);
    const Prepared wholeRaw = translated(RegisterQuery::kWholeRegister);
    Line count{QStringLiteral("CountUnsold"), reg->recordCount(), 0, 0, 0.05};
    const Timing cu = measure(
        cheapReps, [&] { CountUnsold(datMod); }, [&] { rawRead(db, wholeRaw); });
    count.store = cu.store;
    count.raw = cu.raw;
    printLine(count);
    if (Konst::UnsoldCount != g.unsold)
        std::printf("  UnsoldCount %d, erzeugt %d\n", Konst::UnsoldCount, g.unsold);

    // Edit + post of one register row, with the after-post hook it triggers, against a raw re-read
    // of the register in the order it is shown in.
    auto postLine = [&](const QString& what, const QString& text) {
        openRegister(text);
        // Back to a row by its Index, as a sort change does; this also builds the Index lookup.
        const int middle =
            reg->valueAt(reg->recordCount() / 2, reg->fieldIndex(QStringLiteral("Index"))).toInt();
        reg->locate(QStringLiteral("Index"), middle);
        const int fullReadsBefore = reg->fullReadCount();
        int n = 0;
        Line l{what, reg->recordCount(), 0, 0, 0.1};
        const Prepared p = translated(text);
        const Timing t = measure(
            cheapReps,
            [&] {
                reg->edit();
                reg->setValue(QStringLiteral("Notiz"), QStringLiteral("Geprüft, Änderung Nr. %1").arg(++n));
                reg->post();
            },
            [&] { rawRead(db, p); });
        l.store = t.store;
        l.raw = t.raw;
        printLine(l);
        if (reg->fullReadCount() != fullReadsBefore)
            std::printf("  (%d volle Lesevorgänge im Nachlauf des Speicherns)\n",
                        reg->fullReadCount() - fullReadsBefore);
        // Not timed: a new row as the record form stores it, then every row must still be found
        // at its position through its Index (the lookup is kept up to date, not rebuilt).
        reg->append();
        for (const char* key : {"Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt"})
            reg->setValue(QString::fromLatin1(key), 1);
        reg->setValue(QStringLiteral("KDatum"), QDate(2025, 7, 1));
        reg->setValue(QStringLiteral("SerienNr"), QStringLiteral("Ü-%1").arg(reg->recordCount()));
        reg->post();
        // A sample of rows plus the two posted ones (each look-up scans the order).
        const int indexField = reg->fieldIndex(QStringLiteral("Index"));
        const int rows = reg->recordCount();
        std::vector<int> probe = {reg->recNo() - 1, reg->positionOfIndex(middle)};
        for (int row = 0; row < rows; row += std::max(1, rows / 2000))
            probe.push_back(row);
        int misplaced = probe[1] < 0 ? 1 : 0;
        for (int row : probe)
            misplaced += row >= 0 && reg->positionOfIndex(reg->valueAt(row, indexField).toInt()) != row;
        if (misplaced > 0) {
            ++g_missed;
            std::printf("  FEHLER: %d Zeilen werden über ihren Index an falscher Position gefunden\n",
                        misplaced);
        }
    };
    postLine(QStringLiteral("Post + AfterPost (select * from Vorgang)"), RegisterQuery::kWholeRegister);
    postLine(QStringLiteral("Post + AfterPost (Sortierung 7 Käufer)"), RegisterQuery::sortQuery(7));

    datMod.Disconnect();
    const double peak = peakMemoryMb();
    const bool memOk = peak >= 0 && peak <= 200.0;
    g_missed += memOk ? 0 : 1;
    std::printf("\n%s %8.1f MB (Ziel ≤ 200 MB)  %s\n",
                padded(QStringLiteral("Spitzenspeicher (VmHWM)"), 44).constData(), peak,
                memOk ? "OK" : "MISSED");
    std::printf("%s\n", g_missed == 0 ? "Alle Ziele erreicht." : "Nicht alle Ziele erreicht.");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    keepLargeBlocksMapped(); // as the program does
    QCoreApplication app(argc, argv);
    const std::optional<Options> opt = parseOptions(app.arguments());
    if (!opt) {
        std::fprintf(stderr, "Aufruf: bench_store [--rows N] [--reps N] [--keep ORDNER]\n");
        return 2;
    }
    try {
        if (!opt->keep.isEmpty()) {
            QDir().mkpath(opt->keep);
            const QString dir = QFileInfo(opt->keep).absoluteFilePath();
            if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Waffenbuch.mdb")))) {
                std::fprintf(stderr,
                             "%s enthält schon eine Waffenbuch.mdb; bitte einen leeren Ordner angeben.\n",
                             qPrintable(dir));
                return 2;
            }
            return runBenchmark(*opt, dir);
        }
        QTemporaryDir tmp;
        if (!tmp.isValid()) {
            std::fprintf(stderr, "Kein temporärer Ordner: %s\n", qPrintable(tmp.errorString()));
            return 1;
        }
        return runBenchmark(*opt, tmp.path());
    } catch (const DbError& e) {
        std::fprintf(stderr, "Fehler: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}
