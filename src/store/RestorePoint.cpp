#include "store/RestorePoint.h"

#include "store/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <cstdio>
#include <sqlite3.h>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace RestorePoint {

namespace {

void reach(const char* step) {
    if (stepHook)
        stepHook(step);
}

bool syncPath(const QString& path, bool directory) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    // Elsewhere a folder cannot be flushed; a file is flushed through a write handle.
    if (directory)
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.flush();
#endif
}

// Atomic replace of `target` by `temp`, made durable by syncing the folder.
bool replaceFile(const QString& temp, const QString& target) {
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    syncPath(QFileInfo(target).absolutePath(), true);
    return true;
}

QString tempName(const QString& target) {
    return target + QStringLiteral(".neu");
}

struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

const char* const kTables[] = {"Vorgang", "Kaufer",     "Waffentyp", "Kaliber", "Hersteller",
                               "Amt",     "Geschlecht", "EWB",       "Land",    "Benutzer"};

} // namespace

bool check(const QString& path, const QString& password) {
    if (!QFileInfo(path).isFile())
        return false;
    Handle h;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h.db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        return false;
    auto firstText = [&h](const char* sql, QString& out) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h.db, sql, -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return false;
        }
        const bool row = sqlite3_step(st) == SQLITE_ROW;
        if (row)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return row;
    };
    QString result;
    // The check reads every page once; a cache that holds them saves reading some twice.
    sqlite3_exec(h.db, "PRAGMA cache_size = -65536; PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
    if (!firstText("PRAGMA quick_check", result) || result != QLatin1String("ok"))
        return false;
    for (const char* table : kTables) {
        const QByteArray sql =
            QByteArray("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '") + table + "'";
        if (!firstText(sql.constData(), result) || result != QLatin1String("1"))
            return false;
    }
    if (!password.isNull()) {
        if (!firstText("PRAGMA application_id", result) ||
            result.toInt() != Connection::passwordVerifier(password))
            return false;
    }
    return true;
}

bool make(const QString& databasePath, const QString& target) {
    reach("begin");
    const QString temp = tempName(target);
    QFile::remove(temp);
    bool copied = false;
    {
        Handle src;
        Handle dst;
        if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &src.db, SQLITE_OPEN_READONLY,
                            nullptr) == SQLITE_OK &&
            sqlite3_open_v2(QFile::encodeName(temp).constData(), &dst.db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK) {
            // The temporary file is thrown away on any failure and flushed once at the end: no
            // journal and no syncs of its own are needed.
            sqlite3_exec(dst.db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr,
                         nullptr);
            sqlite3_backup* b = sqlite3_backup_init(dst.db, "main", src.db, "main");
            if (b) {
                const int rc = sqlite3_backup_step(b, -1);
                copied = sqlite3_backup_finish(b) == SQLITE_OK && rc == SQLITE_DONE;
            }
        }
    }
    reach("copied");
    if (!copied || !syncPath(temp, false) || !check(temp)) {
        QFile::remove(temp);
        return false;
    }
    reach("checked");
    if (!replaceFile(temp, target))
        return false;
    reach("renamed");
    return true;
}

namespace {

// Writes the whole of `source` to `temp` and flushes it; removes `temp` on failure.
bool writeTemp(const QString& source, const QString& temp) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool ok = true;
    QByteArray chunk;
    while (ok && !in.atEnd()) {
        chunk = in.read(4 << 20);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && out.flush() && out.size() == in.size();
    out.close();
    ok = ok && out.error() == QFileDevice::NoError && syncPath(temp, false);
    reach("copy-written");
    if (!ok)
        QFile::remove(temp);
    return ok;
}

// Keeps the file at `path` as `keepPath`: a second name for the same file where the platform
// has them (no copy needed, the rename that follows leaves it to the kept name), else a copy.
bool keepFile(const QString& path, const QString& keepPath) {
#ifdef Q_OS_UNIX
    const QString temp = tempName(keepPath);
    QFile::remove(temp);
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(temp).constData()) == 0)
        return replaceFile(temp, keepPath);
#endif
    return writeTemp(path, tempName(keepPath)) && replaceFile(tempName(keepPath), keepPath);
}

} // namespace

bool copyFile(const QString& source, const QString& target) {
    return writeTemp(source, tempName(target)) && replaceFile(tempName(target), target);
}

bool restore(const QString& source, const QString& databasePath, const QString& keepPath,
             const QString& password) {
    reach("begin");
    if (!check(source, password))
        return false;
    // A journal beside the database belongs to a connection still open elsewhere (or to an
    // interrupted write of it): putting another file under it would corrupt the new file.
    for (const char* suffix : {"-journal", "-wal"})
        if (QFileInfo::exists(databasePath + QLatin1String(suffix)))
            return false;
    reach("checked");
    const QString temp = tempName(databasePath);
    if (!writeTemp(source, temp))
        return false;
    // The replaced file may be the damaged one the user wants to get rid of: kept as it is.
    if (QFileInfo::exists(databasePath) && !keepFile(databasePath, keepPath)) {
        QFile::remove(temp);
        return false;
    }
    reach("kept");
    if (!replaceFile(temp, databasePath))
        return false;
    reach("restored");
    return true;
}

} // namespace RestorePoint

namespace InstanceLock {

QString lockPath(const QString& databasePath) {
    return databasePath + QStringLiteral(".lock");
}

QString acquire(QLockFile& lock) {
    if (lock.isLocked())
        return QString();
    // Age alone never makes a lock stale; a lock of a dead process on this host always is.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return QString();
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.error() == QLockFile::LockFailedError && lock.getLockInfo(&pid, &host, &app))
        return QStringLiteral("Die Datenbank wird bereits von einem anderen laufenden Waffenbuch benutzt "
                              "(Rechner „%1“, Prozess %2 „%3“). Beenden Sie zuerst dieses Programm.")
            .arg(host)
            .arg(pid)
            .arg(app);
    return QStringLiteral("Die Sperrdatei der Datenbank kann nicht angelegt werden (%1).")
        .arg(QDir::toNativeSeparators(lock.fileName()));
}

} // namespace InstanceLock
