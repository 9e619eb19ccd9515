#include "store/DbErrorText.h"

#include <QDir>
#include <QRegularExpression>
#include <sqlite3.h>

namespace dberror {

namespace {

QString fileOf(sqlite3* db, const QString& file) {
    if (!file.isEmpty())
        return QDir::toNativeSeparators(file);
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name && *name ? QDir::toNativeSeparators(QString::fromUtf8(name)) : QStringLiteral("?");
}

QString withDetail(const QString& message, const QString& detail) {
    return detail.isEmpty() ? message : message + QStringLiteral(" (") + detail + QLatin1Char(')');
}

// "no such table: Vorgang", "no such column: X", "table Vorgang has no column named X"
QString missingObject(const QString& detail, const QString& file) {
    static const QRegularExpression table(QStringLiteral("^no such table: (?:main\\.)?(.+)$"));
    static const QRegularExpression column(QStringLiteral("^no such column: (.+)$"));
    static const QRegularExpression named(QStringLiteral("^table (.+) has no column named (.+)$"));
    if (const auto m = table.match(detail); m.hasMatch())
        return QStringLiteral("In der Datenbank '%1' fehlt die Tabelle '%2'.").arg(file, m.captured(1));
    if (const auto m = column.match(detail); m.hasMatch())
        return QStringLiteral("In der Datenbank '%1' fehlt die Spalte '%2'.").arg(file, m.captured(1));
    if (const auto m = named.match(detail); m.hasMatch())
        return QStringLiteral("In der Datenbank '%1' fehlt die Spalte '%2' der Tabelle '%3'.")
            .arg(file, m.captured(2), m.captured(1));
    return {};
}

} // namespace

QString text(sqlite3* db, int rc, const QString& fileName) {
    const QString file = fileOf(db, fileName);
    const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return withDetail(
            QStringLiteral("Die Datenbank '%1' ist von einem anderen Programm gesperrt. Versuchen Sie es "
                           "später noch einmal.")
                .arg(file),
            detail);
    case SQLITE_NOTADB:
        return withDetail(QStringLiteral("Die Datei '%1' ist keine Datenbank.").arg(file), detail);
    case SQLITE_CORRUPT:
        return withDetail(
            QStringLiteral("Die Datenbank '%1' ist beschädigt. Spielen Sie einen Sicherungspunkt zurück.")
                .arg(file),
            detail);
    case SQLITE_READONLY:
        return withDetail(
            QStringLiteral("Die Datenbank '%1' ist schreibgeschützt; es kann nichts gespeichert werden.")
                .arg(file),
            detail);
    case SQLITE_FULL:
        return withDetail(
            QStringLiteral("Der Datenträger der Datenbank '%1' ist voll; es wurde nichts gespeichert.")
                .arg(file),
            detail);
    case SQLITE_IOERR:
        return withDetail(
            QStringLiteral("Beim Lesen oder Schreiben der Datenbank '%1' ist ein Ein-/Ausgabefehler "
                           "aufgetreten.")
                .arg(file),
            detail);
    case SQLITE_CANTOPEN:
        return withDetail(QStringLiteral("Die Datenbank '%1' kann nicht geöffnet werden.").arg(file), detail);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return withDetail(QStringLiteral("Kein Zugriff auf die Datenbank '%1'.").arg(file), detail);
    case SQLITE_CONSTRAINT: {
        const QString prefix = QStringLiteral("CHECK constraint failed: ");
        if (detail.startsWith(prefix))
            return QStringLiteral(
                       "Der Wert für das Feld '%1' ist zu lang oder liegt außerhalb des gültigen Bereichs.")
                .arg(detail.mid(prefix.size()));
        return QStringLiteral("Die Datenbank hat den Datensatz zurückgewiesen (%1).").arg(detail);
    }
    case SQLITE_ERROR:
        if (const QString missing = missingObject(detail, file); !missing.isEmpty())
            return withDetail(missing, detail);
        [[fallthrough]];
    default:
        return withDetail(QStringLiteral("Fehler in der Datenbank '%1'.").arg(file), detail);
    }
}

QString emptyFile(const QString& file) {
    return QStringLiteral("Die Datei '%1' ist leer (0 Byte) und keine Datenbank.")
        .arg(QDir::toNativeSeparators(file));
}

QString noSettingsRow(const QString& file) {
    return QStringLiteral("In der Datenbank '%1' fehlt die Zeile der Einstellungen (die Tabelle 'Benutzer' "
                          "ist leer).")
        .arg(QDir::toNativeSeparators(file));
}

QString notConnected() {
    return QStringLiteral("Die Datenbank ist nicht verbunden.");
}

} // namespace dberror
