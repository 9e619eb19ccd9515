#pragma once

#include <QString>
#include <functional>

class QLockFile;

// Restore points of the database file: a checked, complete copy in the Archiv folder, and the
// way back from it. Every file is written beside its final place under a temporary name,
// flushed to disk and renamed, so that an interruption at any moment leaves either the old or
// the new file, whole. Neither function throws.
namespace RestorePoint {

// Called with the name of each step as it is reached (used to interrupt the work in tests).
inline std::function<void(const char* step)> stepHook;

// Copies the database `databasePath` as one committed state into `target` (a commit another
// connection is writing is waited for). True only when the copy passed its check and replaced
// `target`; otherwise `target` is left as it was.
bool make(const QString& databasePath, const QString& target);

// True when `path` opens as a database, passes quick_check, holds the program's ten tables and,
// when `password` is given, carries that database password.
bool check(const QString& path, const QString& password = QString());

// Replaces `databasePath` by the restore point `source` after checking it; the replaced file is
// kept as `keepPath`. False (and nothing changed) for a damaged restore point, a missing folder,
// a full disk, or a database another program still has open.
bool restore(const QString& source, const QString& databasePath, const QString& keepPath,
             const QString& password = QString());

// Writes the whole of `source` to `target` via a flushed temporary file and a rename. True only
// when the whole target was written.
bool copyFile(const QString& source, const QString& target);

} // namespace RestorePoint

// The lock that keeps a second copy of the program off the same database.
namespace InstanceLock {
// Path of the lock file that belongs to `databasePath`.
QString lockPath(const QString& databasePath);
// Takes `lock` (stale locks of dead processes are taken over). Empty on success, otherwise the
// German message naming the host and process that holds it.
QString acquire(QLockFile& lock);
} // namespace InstanceLock
