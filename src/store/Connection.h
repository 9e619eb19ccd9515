#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement; finalized when it goes out of scope.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3_stmt* stmt, sqlite3* db) : m_stmt(stmt), m_db(db) {}
    Statement(Statement&& o) noexcept;
    Statement& operator=(Statement&& o) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // QString binds as text, QDate as ISO text, bool and integers as integers, null as NULL.
    void bind(int index, const QVariant& value);
    void bindAll(const QVariantList& values);
    // Next row: true while there is one. Throws DbError on failure.
    bool step();
    void reset();
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
    sqlite3* m_db = nullptr;
};

// The one connection to the database file. The file is opened read-write and never created;
// the password of the connection string is checked against the verifier kept in the file.
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    void setConnectionString(const QString& text) { m_connectionString = text; }
    const QString& connectionString() const { return m_connectionString; }

    // Throws DbError (German text) when the file is missing, is no database, the password is
    // wrong or the file is locked.
    void open();
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    sqlite3* handle() const { return m_handle; }
    QString fileName() const { return m_fileName; }

    Statement prepare(const QString& sql) const;
    void exec(const QString& sql) const;

    void begin() const;
    void commit() const;
    void rollback() const noexcept;

    // Changes committed by other connections since open bump this number.
    qint64 dataVersion() const;
    // Our own writes, so that a dataset can re-read only the rows we changed.
    quint64 changeSerial() const { return m_serial; }
    void noteChange(const QString& table, qint64 rowid);
    // Rows of `table` we wrote after `serial`; nullopt when the log no longer reaches back.
    std::optional<QSet<qint64>> changedSince(quint64 serial, const QString& table) const;
    bool tableChangedSince(quint64 serial, const QString& table) const;

    // German text for an SQLite failure.
    static QString errorText(sqlite3* db, int rc);

    // Parses "key=value;" pairs; keys compare case-insensitively.
    static QString connectionValue(const QString& connectionString, const QString& key);
    // The value kept in the file's header to check the database password.
    static qint32 passwordVerifier(const QString& password);
    static void stampPassword(sqlite3* db, const QString& password);

signals:
    void aboutToClose();

private:
    struct Change {
        quint64 serial;
        QString table; // lower case
        qint64 rowid;
    };
    QString m_connectionString;
    QString m_fileName;
    QString m_qtName;
    sqlite3* m_handle = nullptr;
    quint64 m_serial = 0;
    quint64 m_logStart = 0; // changes before this serial were dropped from the log
    QList<Change> m_log;
};

// A write transaction: begun when made, committed by commit(), rolled back when it goes out of
// scope uncommitted (also while an exception unwinds).
class Transaction {
public:
    explicit Transaction(const Connection& connection) : m_connection(connection) { connection.begin(); }
    ~Transaction() {
        if (!m_done)
            m_connection.rollback();
    }
    void commit() {
        m_connection.commit();
        m_done = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    const Connection& m_connection;
    bool m_done = false;
};
