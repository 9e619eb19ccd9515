#pragma once

// The register the store benchmark runs on, written straight through the SQLite C API: the random
// numbers, the insert statement, and the generator whose lists and rows are defined in
// StoreBenchGenerator.cpp and StoreBenchGeneratorRows.cpp.
#include "StoreBench.h"
#include "common/DbError.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace storebench {

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

inline void execOrThrow(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        throw DbError(text);
    }
}

inline QByteArray u8(const QString& s) {
    return s.toUtf8();
}

// ------------------------------------------------------------------ register generator

struct Town {
    int plz;
    const char* name;
};

// Writes the whole register in one transaction.
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

    // The towns, streets and lists (StoreBenchGenerator.cpp).
    const std::vector<Town>& towns() const;
    QByteArray street();
    void singleColumnList(const char* sql, const std::vector<QString>& values, int& count);
    void weaponTypes();
    void calibres();
    void manufacturers();
    void authorities();

    int authority() { return m_rng.range(2, m_firstCountry - 1); }
    int country() { return m_rng.range(m_firstCountry, m_authorities); }

    // Partners and register rows (StoreBenchGeneratorRows.cpp).
    QByteArray permitNumber(int kind, const QDate& issued);
    int permitKind();
    void partners();
    QByteArray serialNumber();
    void registerRows();

    sqlite3* m_db;
    int m_rows;
    Rng m_rng{20240611};
    GeneratedCounts m_counts;
    int m_firstCountry = 2;
    int m_authorities = 1;
};

} // namespace storebench
