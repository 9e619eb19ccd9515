#include "support/TestFolder.h"

#include "common/Konst.h"
#include "store/DatabaseFactory.h"
#include "support/StoreHelpers.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <stdexcept>

TestFolder::TestFolder() {
    Konst::reset();
    QDir dir(m_dir.path());
    dir.mkdir(QStringLiteral("Archiv"));
    dir.mkdir(QStringLiteral("Help"));
    QFile::copy(QStringLiteral(WB_SOURCE_DIR "/data/Help/Help.html"), file(QStringLiteral("Help/Help.html")));
    const QDir archiv(QStringLiteral(WB_SOURCE_DIR "/data/Archiv"));
    for (const QString& name : archiv.entryList(QDir::Files))
        QFile::copy(archiv.filePath(name), file(QStringLiteral("Archiv/") + name));
    DatabaseFactory::create(databasePath());
    Konst::AppDir = path();
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, databasePassword());
}

QString TestFolder::path() const {
    return QDir::toNativeSeparators(m_dir.path() + QLatin1Char('/'));
}

QString TestFolder::file(const QString& name) const {
    return m_dir.filePath(name);
}

void TestFolder::sql(const QString& statement) const {
    DatabaseFactory::execute(databasePath(), statement);
}

namespace {

// Up to `limit` rows of a query on the file, read through a connection of its own (-1: all).
QList<QVariantList> readRows(const QString& databasePath, const QString& query, int limit) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the test database");
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = query.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(error);
    }
    QList<QVariantList> rows;
    while ((limit < 0 || rows.size() < limit) && sqlite3_step(stmt) == SQLITE_ROW) {
        QVariantList out;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                out << QVariant(qlonglong(sqlite3_column_int64(stmt, c)));
                break;
            case SQLITE_FLOAT:
                out << QVariant(sqlite3_column_double(stmt, c));
                break;
            case SQLITE_NULL:
                out << QVariant();
                break;
            default:
                out << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                                  sqlite3_column_bytes(stmt, c)));
            }
        }
        rows << out;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

} // namespace

QList<QVariantList> TestFolder::rows(const QString& query) const {
    return readRows(databasePath(), query, -1);
}

QVariantList TestFolder::row(const QString& query) const {
    return readRows(databasePath(), query, 1).value(0);
}

QVariant TestFolder::value(const QString& query) const {
    const QVariantList r = row(query);
    return r.isEmpty() ? QVariant() : r.first();
}
