#include "RegisterGenerator.h"

#include "common/DbError.h"
#include "store/DatabaseFactory.h"

#include <QDate>
#include <QFile>
#include <memory>
#include <sqlite3.h>

namespace {

// splitmix64, the same sequence everywhere.
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

private:
    quint64 m_state;
};

void exec(sqlite3* db, const QByteArray& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        throw DbError(text);
    }
}

} // namespace

void generate(const QString& path, int rows) {
    DatabaseFactory::create(path);
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        throw DbError(QStringLiteral("Datenbank lässt sich nicht öffnen"));
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    Rng rng(20240611);
    exec(db.get(), "BEGIN");
    const char* types[] = {"Repetierbüchse", "Bockflinte", "Flinte",           "Pistole",
                           "Revolver",       "Drilling",   "Selbstladebüchse", "Kipplaufbüchse",
                           "Doppelflinte",   "Luftgewehr"};
    for (const char* t : types)
        exec(db.get(), QByteArray("INSERT INTO \"Waffentyp\" (\"WTyp\") VALUES ('") + t + "')");
    for (int i = 0; i < 40; ++i)
        exec(db.get(),
             QStringLiteral("INSERT INTO \"Kaliber\" (\"Kaliber\") VALUES ('Kal. %1')").arg(i).toUtf8());
    for (int i = 0; i < 60; ++i)
        exec(db.get(),
             QStringLiteral("INSERT INTO \"Hersteller\" (\"Hersteller\") VALUES ('Büchsenmacher %1')")
                 .arg(i)
                 .toUtf8());
    for (int i = 0; i < 200; ++i)
        exec(db.get(),
             QStringLiteral("INSERT INTO \"Amt\" (\"Name\") VALUES ('Ordnungsamt Nr. %1')").arg(i).toUtf8());
    const char* first[] = {"Jürgen", "Änne", "Otto", "Björn", "Käthe", "Max", "Sören", "Grete"};
    const char* last[] = {"Müller", "Schäfer", "Köhler", "Groß", "Jäger", "Förster", "Bauer", "Weiß"};
    sqlite3_stmt* partner = nullptr;
    sqlite3_prepare_v2(
        db.get(),
        "INSERT INTO \"Kaufer\" (\"Name\", \"Geschlecht\", \"EWB\", \"EWBAmt\", \"KAmt\") VALUES "
        "(?, 1, 1, 1, 1)",
        -1, &partner, nullptr);
    for (int i = 2; i <= kPartners; ++i) {
        const QByteArray name =
            QStringLiteral("%1 %2 %3")
                .arg(QString::fromUtf8(first[rng.below(8)]), QString::fromUtf8(last[rng.below(8)]))
                .arg(i % 97 == 0 ? i - 1 : i)
                .toUtf8();
        sqlite3_bind_text(partner, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(partner);
        sqlite3_reset(partner);
    }
    sqlite3_finalize(partner);
    sqlite3_stmt* entry = nullptr;
    sqlite3_prepare_v2(
        db.get(),
        "INSERT INTO \"Vorgang\" (\"KDatum\", \"Waffentyp\", \"Kaliber\", \"Hersteller\", "
        "\"SerienNr\", \"Verkaufer\", \"VDatum\", \"Kaufer\", \"EWB\", \"Amt\", \"KauferAmt\", "
        "\"Notiz\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?)",
        -1, &entry, nullptr);
    const char* notes[] = {"Gebraucht",       "Neuwaffe",      "Kommission",
                           "Schaft geändert", "Lauf geprüft",  "Mängel am Verschluss",
                           "aus Nachlass",    "Zubehör fehlt", "Rückgabe",
                           "Tausch"};
    const QDate start(2000, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QByteArray kd = start.addDays(rng.below(9000)).toString(Qt::ISODate).toUtf8();
        const bool sold = rng.below(3) != 0;
        const QByteArray vd = start.addDays(9000 + rng.below(300)).toString(Qt::ISODate).toUtf8();
        const QByteArray serial = QStringLiteral("SN-%1").arg(rng.below(1000000)).toUtf8();
        const QByteArray note = QByteArray(notes[rng.below(10)]);
        sqlite3_bind_text(entry, 1, kd.constData(), int(kd.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(entry, 2, 1 + rng.below(10));
        sqlite3_bind_int(entry, 3, 1 + rng.below(40));
        sqlite3_bind_int(entry, 4, 1 + rng.below(60));
        sqlite3_bind_text(entry, 5, serial.constData(), int(serial.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(entry, 6, 2 + rng.below(kPartners - 1));
        if (sold)
            sqlite3_bind_text(entry, 7, vd.constData(), int(vd.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(entry, 7);
        sqlite3_bind_int(entry, 8, sold ? 2 + rng.below(kPartners - 1) : 1);
        sqlite3_bind_int(entry, 9, sold ? 2 + rng.below(200) : 1);
        sqlite3_bind_int(entry, 10, sold ? 2 + rng.below(200) : 1);
        if (rng.below(3) == 0)
            sqlite3_bind_text(entry, 11, note.constData(), int(note.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(entry, 11);
        if (sqlite3_step(entry) != SQLITE_DONE)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db.get())));
        sqlite3_reset(entry);
    }
    sqlite3_finalize(entry);
    exec(db.get(), "COMMIT");
}
