#include "store/DatabaseFactory.h"

#include "common/DbError.h"
#include "common/Konst.h"
#include "store/Connection.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <memory>
#include <sqlite3.h>

// The resources live in the static core library: nothing references them, so the linker
// drops their registration unless it is called explicitly.
static void initDataResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(data);
        return true;
    }();
    Q_UNUSED(done);
}

namespace DatabaseFactory {

namespace {
QString resourceText(const QString& name) {
    initDataResources();
    QFile f(QStringLiteral(":/data/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Die Datei '%1' fehlt.").arg(name));
    return QString::fromUtf8(f.readAll());
}

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

Handle openFile(const QString& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("Die Datenbank '%1' kann nicht geöffnet werden: %2")
                          .arg(path, QString::fromUtf8(sqlite3_errstr(rc))));
    return db;
}

void run(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        throw DbError(QStringLiteral("Datenbankfehler: %1").arg(text));
    }
}
} // namespace

void create(const QString& path) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("Die Datei '%1' existiert bereits.").arg(path));
    // A file that was not created whole is removed again.
    auto removeOnFailure = qScopeGuard([&] { QFile::remove(path); });
    {
        Handle db = openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        run(db.get(), QStringLiteral("BEGIN"));
        run(db.get(), resourceText(QStringLiteral("schema.sql")));
        run(db.get(), resourceText(QStringLiteral("content.sql")));
        QString password;
        Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
        Connection::stampPassword(db.get(), password);
        run(db.get(), QStringLiteral("COMMIT"));
    }
    removeOnFailure.dismiss();
}

void execute(const QString& path, const QString& sql) {
    Handle db = openFile(path, SQLITE_OPEN_READWRITE);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    run(db.get(), sql);
}

} // namespace DatabaseFactory
