#include "store/RestorePoint.h"

#include "store/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>
#include <sqlite3.h>
#include <system_error>
#include <vector>
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
    // Where both names already led to the same file (a restore interrupted after keeping the
    // database, then started again), rename leaves both in place.
    QFile::remove(temp);
    syncPath(QFileInfo(target).absolutePath(), true);
    return true;
}

// Work that runs on a second thread while the caller goes on; where no thread can be started,
// it runs in the caller's thread when its result is asked for.
class Beside {
public:
    explicit Beside(std::function<bool()> work) : m_work(std::move(work)) {
        try {
            m_result = std::async(std::launch::async, m_work);
        } catch (const std::system_error&) {
        }
    }
    bool result() { return m_result.valid() ? m_result.get() : m_work(); }

private:
    std::function<bool()> m_work;
    std::future<bool> m_result; // waits for the thread when destroyed
};

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

namespace {

// Size of the pieces files are copied in.
constexpr qint64 kChunk = qint64(1) << 20;

// How long a restore point waits for a commit that another connection is writing.
constexpr int kBusyMs = 2000;

// SQLite's own backup of `src` into a new database at `temp`.
bool backup(sqlite3* src, const QString& temp) {
    Handle dst;
    if (sqlite3_open_v2(QFile::encodeName(temp).constData(), &dst.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return false;
    // The temporary file is thrown away on any failure and flushed once at the end: no journal
    // and no syncs of its own are needed.
    sqlite3_exec(dst.db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(dst.db, "main", src, "main");
    if (!b)
        return false;
    const int rc = sqlite3_backup_step(b, -1);
    return sqlite3_backup_finish(b) == SQLITE_OK && rc == SQLITE_DONE;
}

// Copies the database file at `databasePath` byte for byte into `temp` as one committed state.
// A read transaction holds SQLite's shared lock for the whole copy; with the rollback journal no
// other connection can write the file before it ends. The bytes are read through SQLite's own
// handle of the file: closing a second one in this process would drop that lock. A database
// with a write-ahead log is not in its file alone; SQLite's backup copies it.
bool snapshot(const QString& databasePath, const QString& temp) {
    Handle src;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &src.db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(src.db, kBusyMs);
    if (sqlite3_exec(src.db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return false;
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(src.db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return false;
    char header[20];
    if (size >= qint64(sizeof header) &&
        file->pMethods->xRead(file, header, int(sizeof header), 0) == SQLITE_OK && header[18] == 2)
        return backup(src.db, temp);
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    std::vector<char> buffer(size_t(std::min(size, kChunk)));
    bool ok = true;
    for (qint64 offset = 0; ok && offset < size; offset += kChunk) {
        const qint64 n = std::min(kChunk, size - offset);
        ok = file->pMethods->xRead(file, buffer.data(), int(n), offset) == SQLITE_OK &&
             out.write(buffer.data(), n) == n;
    }
    out.close();
    return ok && out.error() == QFileDevice::NoError;
}

} // namespace

bool make(const QString& databasePath, const QString& target) {
    reach("begin");
    const QString temp = tempName(target);
    QFile::remove(temp);
    bool ok = snapshot(databasePath, temp);
    reach("copied");
    if (ok) {
        // Flushing waits for the disk, the check for the processor: both at once.
        Beside flushed([&temp] { return syncPath(temp, false); });
        ok = check(temp);
        ok = flushed.result() && ok;
    }
    if (!ok) {
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
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    std::vector<char> buffer(size_t(std::min(in.size(), kChunk)) + 1);
    bool ok = true;
    for (;;) {
        const qint64 n = in.read(buffer.data(), qint64(buffer.size()));
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (out.write(buffer.data(), n) != n) {
            ok = false;
            break;
        }
    }
    ok = ok && in.error() == QFileDevice::NoError && out.size() == in.size();
    out.close();
    ok = ok && out.error() == QFileDevice::NoError && syncPath(temp, false);
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
    const bool written = writeTemp(source, tempName(target));
    reach("copy-written");
    return written && replaceFile(tempName(target), target);
}

bool restore(const QString& source, const QString& databasePath, const QString& keepPath,
             const QString& password) {
    reach("begin");
    // A journal beside the database belongs to a connection still open elsewhere (or to an
    // interrupted write of it): putting another file under it would corrupt the new file.
    for (const char* suffix : {"-journal", "-wal"})
        if (QFileInfo::exists(databasePath + QLatin1String(suffix)))
            return false;
    // The restore point is checked while it is copied beside the database. Nothing is kept or
    // renamed before both have succeeded; a failed check removes the copy again.
    const QString temp = tempName(databasePath);
    Beside checked([&source, &password] { return check(source, password); });
    const bool written = writeTemp(source, temp);
    if (!checked.result()) {
        QFile::remove(temp);
        return false;
    }
    reach("checked");
    if (!written)
        return false;
    reach("copy-written");
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
