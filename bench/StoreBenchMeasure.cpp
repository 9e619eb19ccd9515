// The raw SQLite baseline the store is measured against, the timing of both, and the printed lines.
#include "BenchTiming.h"
#include "StoreBench.h"
#include "common/DbError.h"
#include "store/JetTranslator.h"
#include "store/Schema.h"

#include <QDate>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace storebench {

namespace {

volatile quint64 g_sink = 0; // keeps the raw loops from being optimised away

double median(std::vector<double> times, const char* what) {
    std::sort(times.begin(), times.end());
    if (qEnvironmentVariableIsSet("BENCH_TIMES")) {
        std::fprintf(stderr, "%-6s", what);
        for (double t : times)
            std::fprintf(stderr, " %.2f", t);
        std::fprintf(stderr, "\n");
    }
    return times[times.size() / 2];
}

double elapsedMs(const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int g_missed = 0;

// ------------------------------------------------------------------ raw baseline

Prepared translated(const QString& jetText) {
    const jet::Translation t = jet::translate(jetText, schema::lookup());
    return {t.sql.toUtf8(), t.params};
}

qint64 rawRead(sqlite3* db, const Prepared& p) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, p.sql.constData(), int(p.sql.size()), &st, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    for (int i = 0; i < p.params.size(); ++i) {
        const QVariant& v = p.params.at(i);
        const QByteArray text = v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate).toUtf8()
                                                               : v.toString().toUtf8();
        sqlite3_bind_text(st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    const int n = sqlite3_column_count(st);
    qint64 rows = 0;
    quint64 sum = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sum += quint64(sqlite3_column_int64(st, c));
                break;
            case SQLITE_TEXT: {
                const unsigned char* t = sqlite3_column_text(st, c);
                const int len = sqlite3_column_bytes(st, c);
                sum += quint64(len) + (len > 0 ? t[0] : 0);
                break;
            }
            case SQLITE_FLOAT:
                sum += quint64(sqlite3_column_double(st, c));
                break;
            case SQLITE_BLOB:
                sum += quint64(sqlite3_column_bytes(st, c));
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    g_sink = g_sink + sum;
    return rows;
}

// ------------------------------------------------------------------ timing and report

Timing measure(int reps, const std::function<void()>& store, const std::function<void()>& raw,
               const std::function<void()>& prepare) {
    std::vector<double> s, r;
    for (int i = 0; i < reps; ++i) {
        if (prepare)
            prepare();
        s.push_back(elapsedMs(store));
        r.push_back(elapsedMs(raw));
    }
    return {median(s, "store"), median(r, "raw")};
}

QByteArray padded(const QString& s, int width) {
    QString t = s;
    if (t.size() < width)
        t += QString(width - t.size(), QLatin1Char(' '));
    return t.toUtf8();
}

void printHeader() {
    std::printf("%s %8s %10s %10s %8s %8s  %s\n", padded(QStringLiteral("Messung"), 44).constData(), "Zeilen",
                "Store ms", "Roh ms", "Faktor", "Ziel", "");
    std::printf("%s\n", QByteArray(44 + 1 + 8 + 1 + 10 + 1 + 10 + 1 + 8 + 1 + 8 + 6, '-').constData());
}

void printLine(const Line& l) {
    const double ratio = l.raw > 0 ? l.store / l.raw : 0;
    const bool ok = ratio <= l.target;
    g_missed += ok ? 0 : 1;
    const QString target = QStringLiteral("≤ %1").arg(l.target);
    std::printf(
        "%s %8lld %10.1f %10.1f %8.3f %s  %s\n", padded(l.what, 44).constData(),
        static_cast<long long>(l.rows), l.store, l.raw, ratio,
        padded(QString(8 - std::min<qsizetype>(8, target.size()), QLatin1Char(' ')) + target, 8).constData(),
        ok ? "OK" : "MISSED");
    // BENCH_PEAKS=1: the peak memory of each line, to find what the overall peak comes from.
    if (qEnvironmentVariableIsSet("BENCH_PEAKS")) {
        std::fprintf(stderr, "    Spitze dieser Zeile: %.1f MB (davon SQLite höchstens %.1f MB)\n",
                     peakMemoryMb(), double(sqlite3_memory_highwater(1)) / (1024.0 * 1024.0));
        resetPeakMemory();
    }
    std::fflush(stdout);
}

// ------------------------------------------------------------------ command line

std::optional<Options> parseOptions(const QStringList& args) {
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--rows") && hasValue)
            o.rows = args.at(++i).toInt(&ok);
        else if (a == QLatin1String("--reps") && hasValue)
            o.reps = args.at(++i).toInt(&ok);
        else if (a == QLatin1String("--keep") && hasValue)
            o.keep = args.at(++i);
        else
            ok = false;
        if (!ok || o.rows < 1 || o.reps < 1)
            return std::nullopt;
    }
    return o;
}

} // namespace storebench
