#include "store/Connection.h"

#include "common/ConnectionString.h"
#include "common/DbError.h"
#include "store/DbErrorText.h"
#include "store/GermanCollation.h"
#include "store/JetTranslator.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <sqlite3.h>

// ---------------------------------------------------------------- Statement

Statement::Statement(Statement&& o) noexcept : m_stmt(o.m_stmt), m_db(o.m_db) {
    o.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_stmt = o.m_stmt;
        m_db = o.m_db;
        o.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::QDate: {
            const QByteArray iso = value.toDate().toString(Qt::ISODate).toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DbError(Connection::errorText(m_db, rc));
}

void Statement::bindAll(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i));
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DbError(Connection::errorText(m_db, rc));
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

// ---------------------------------------------------------------- Connection

namespace {

int collateGerman(void*, int aLen, const void* a, int bLen, const void* b) {
    return german::compareUtf8(static_cast<const char*>(a), aLen, static_cast<const char*>(b), bLen);
}

QString textArg(sqlite3_value* v) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? QString::fromUtf8(t, sqlite3_value_bytes(v)) : QString();
}

// like(pattern, text[, escape]): SQLite's own is ASCII-only for case; this one folds every letter.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc == 3) {
        sqlite3_result_error(ctx, "ESCAPE wird nicht unterstützt", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, german::like(textArg(argv[0]), textArg(argv[1])) ? 1 : 0);
}

int nextConnectionNumber() {
    static int n = 0;
    return ++n;
}

} // namespace

Connection::Connection(QObject* parent) : QObject(parent) {
    m_qtName = QStringLiteral("waffenbuch-%1").arg(nextConnectionNumber());
}

Connection::~Connection() {
    close();
}

QString Connection::connectionValue(const QString& connectionString, const QString& key) {
    return connstr::value(connectionString, key);
}

qint32 Connection::passwordVerifier(const QString& password) {
    if (password.isEmpty())
        return 0;
    const QByteArray h =
        QCryptographicHash::hash(("Waffenbuch-Kennwort:" + password).toUtf8(), QCryptographicHash::Sha256);
    qint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(h.at(i));
    return v == 0 ? 1 : v;
}

void Connection::stampPassword(sqlite3* db, const QString& password) {
    const QByteArray sql = "PRAGMA application_id = " + QByteArray::number(passwordVerifier(password));
    char* err = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        throw DbError(text);
    }
}

QString Connection::errorText(sqlite3* db, int rc) {
    return dberror::text(db, rc);
}

void Connection::open() {
    if (isOpen())
        return;
    const QString file = connectionValue(m_connectionString, QStringLiteral("Data Source"));
    const QString password =
        connectionValue(m_connectionString, QStringLiteral("Jet OLEDB:Database Password"));
    if (file.isEmpty() || !QFileInfo(file).isFile())
        throw DbError(QStringLiteral("Die Datei '%1' konnte nicht gefunden werden.").arg(file));
    if (QFileInfo(file).size() == 0)
        throw DbError(dberror::emptyFile(file));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_qtName);
        // mode=rw: never create a database where none is.
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString() +
                           QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_qtName);
            throw DbError(
                QStringLiteral("Die Datenbank '%1' kann nicht geöffnet werden (%2).").arg(file, text));
        }
        const QVariant h = db.driver()->handle();
        if (qstrcmp(h.typeName(), "sqlite3*") != 0 || !h.isValid()) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_qtName);
            throw DbError(QStringLiteral("Kein SQLite-Treiber verfügbar."));
        }
        m_handle = *static_cast<sqlite3* const*>(h.constData());
    }
    m_fileName = file;
    auto closeOnFailure = qScopeGuard([this] { close(); });
    {
        // "..." is an identifier, never a string literal.
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        // Without the German order and the umlaut-aware like, sorts and searches would give wrong
        // results without any error: stop the connect instead.
        auto require = [this](int rc, const char* what) {
            if (rc != SQLITE_OK)
                throw DbError(
                    QStringLiteral("Die Datenbank '%1' kann nicht verbunden werden: %2 ließ sich nicht "
                                   "einrichten (%3).")
                        .arg(m_fileName, QString::fromUtf8(what), QString::fromUtf8(sqlite3_errstr(rc))));
        };
        require(sqlite3_create_collation_v2(m_handle, jet::kCollation, SQLITE_UTF8, nullptr, collateGerman,
                                            nullptr),
                "die deutsche Sortierung");
        require(sqlite3_create_function_v2(m_handle, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                           likeFunction, nullptr, nullptr, nullptr),
                "der Textvergleich 'like'");
        require(sqlite3_create_function_v2(m_handle, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                           likeFunction, nullptr, nullptr, nullptr),
                "der Textvergleich 'like'");
        Statement st = prepare(QStringLiteral("PRAGMA application_id"));
        const qint32 stored = st.step() ? sqlite3_column_int(st.get(), 0) : 0;
        if (stored != passwordVerifier(password))
            throw DbError(QStringLiteral("Kein gültiges Kennwort."));
    }
    closeOnFailure.dismiss();
    m_log.clear();
    m_logStart = m_serial;
}

void Connection::close() {
    if (!m_handle)
        return;
    emit aboutToClose();
    m_handle = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_qtName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_qtName);
    m_log.clear();
    m_logStart = m_serial;
}

Statement Connection::prepare(const QString& sql) const {
    if (!m_handle)
        throw DbError(dberror::notConnected());
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_handle, utf8.constData(), int(utf8.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString text = errorText(m_handle, rc);
        sqlite3_finalize(stmt);
        throw DbError(text);
    }
    if (!stmt)
        throw DbError(QStringLiteral("Leere Abfrage."));
    return Statement(stmt, m_handle);
}

void Connection::exec(const QString& sql) const {
    Statement st = prepare(sql);
    while (st.step()) {
    }
}

void Connection::begin() const {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}
void Connection::commit() const {
    exec(QStringLiteral("COMMIT"));
}
void Connection::rollback() const noexcept {
    if (m_handle && !sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 Connection::dataVersion() const {
    Statement st = prepare(QStringLiteral("PRAGMA data_version"));
    return st.step() ? sqlite3_column_int64(st.get(), 0) : 0;
}

void Connection::noteChange(const QString& table, qint64 rowid) {
    constexpr int kMaxLog = 4096;
    m_log.append({++m_serial, table.toLower(), rowid});
    if (m_log.size() > kMaxLog) {
        m_logStart = m_log.first().serial;
        m_log.removeFirst();
    }
}

std::optional<QSet<qint64>> Connection::changedSince(quint64 serial, const QString& table) const {
    if (serial < m_logStart)
        return std::nullopt;
    const QString t = table.toLower();
    QSet<qint64> rows;
    for (const Change& c : m_log)
        if (c.serial > serial && c.table == t)
            rows.insert(c.rowid);
    return rows;
}

bool Connection::tableChangedSince(quint64 serial, const QString& table) const {
    const auto rows = changedSince(serial, table);
    return !rows || !rows->isEmpty();
}
