// Store benchmark: generates a large register and times the data module's operations against the
// same statements stepped directly through the SQLite C API on the same connection.
//
//   bench_store [--rows N] [--reps N] [--keep DIR]
//
// Without --keep the register lives in a temporary folder that is removed at the end.
// BENCH_TIMES=1 prints every single run to stderr, BENCH_PEAKS=1 the peak memory of each line.

#include "BenchTiming.h"
#include "StoreBench.h"
#include "common/Allocator.h"
#include "common/DbError.h"
#include "common/Konst.h"
#include "store/RegisterQuery.h"
#include "store/TDatMod.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sqlite3.h>
#include <vector>

using namespace storebench;

namespace {

int runBenchmark(const Options& opt, const QString& appDir) {
    const QString dbPath = QDir(appDir).filePath(QStringLiteral("Waffenbuch.mdb"));
    QElapsedTimer genTimer;
    genTimer.start();
    const GeneratedCounts g = generate(dbPath, opt.rows);
    std::printf("Register erzeugt in %.0f ms: %d Vorgänge (%d nicht verkauft, %d Schlüssel ohne Zeile), "
                "%d Partner, %d Waffentypen, %d Kaliber, %d Hersteller, %d Ämter (davon %d Länder); "
                "Datei %.1f MB\n",
                double(genTimer.nsecsElapsed()) / 1e6, g.vorgang, g.unsold, g.danglingKeys, g.kaufer,
                g.waffentyp, g.kaliber, g.hersteller, g.amt, g.countries,
                double(QFileInfo(dbPath).size()) / (1024.0 * 1024.0));
    if (qEnvironmentVariableIsSet("BENCH_PEAKS")) {
        std::fprintf(stderr, "    Spitze der Erzeugung: %.1f MB\n", peakMemoryMb());
        resetPeakMemory();
    }
    std::printf("Ordner: %s\nMedian aus %d Läufen.\n\n",
                QDir::toNativeSeparators(appDir).toUtf8().constData(), opt.reps);

    Konst::reset();
    Konst::AppDir = QDir::toNativeSeparators(QDir(appDir).absolutePath() + QLatin1Char('/'));
    QString password;
    Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, password);

    TDatMod datMod;
    Dataset* reg = datMod.ASet_Vorgang;
    printHeader();

    // Connect, from the disconnected state each time.
    Line connect{QStringLiteral("TDatMod::Connect (alle Datenmengen)"), 0, 0, 0, 1.5};
    std::vector<Prepared> connectStatements;
    for (const Dataset* d : datMod.tableDatasets())
        connectStatements.push_back(translated(QStringLiteral("select * from ") + d->tableName()));
    connectStatements.push_back(
        translated(QStringLiteral("select * from ") + datMod.ATab_Geschlecht->tableName()));
    connectStatements.push_back(translated(RegisterQuery::kWholeRegister));
    // The raw reads run on the connection that Connect has just opened.
    const Timing ct = measure(
        opt.reps, [&] { datMod.Connect(); },
        [&] {
            for (const Prepared& p : connectStatements)
                rawRead(datMod.ADOCon.handle(), p);
        },
        [&] { datMod.Disconnect(); });
    connect.store = ct.store;
    connect.raw = ct.raw;
    sqlite3* db = datMod.ADOCon.handle();
    connect.rows = reg->recordCount();
    printLine(connect);

    auto openRegister = [&](const QString& text) {
        reg->close();
        reg->setCommandText(text);
        reg->open();
    };
    auto registerLine = [&](const QString& what, const QString& text) {
        Line l{what, 0, 0, 0, 1.5};
        const Prepared p = translated(text);
        qint64 rawRows = 0;
        const Timing t = measure(
            opt.reps, [&] { openRegister(text); }, [&] { rawRows = rawRead(db, p); });
        l.store = t.store;
        l.raw = t.raw;
        l.rows = reg->recordCount();
        if (rawRows != l.rows)
            std::printf("  Zeilenzahl weicht ab: Store %lld, roh %lld\n", static_cast<long long>(l.rows),
                        static_cast<long long>(rawRows));
        printLine(l);
        return l;
    };

    // The statement path: every open runs the query.
    reg->setInMemoryResort(false);
    Line whole =
        registerLine(QStringLiteral("Register \"select * from Vorgang\""), RegisterQuery::kWholeRegister);
    for (int i = 0; i < RegisterQuery::kSortCount; ++i)
        registerLine(QStringLiteral("Sortierung %1 %2").arg(i, 2).arg(RegisterQuery::sortNames().at(i)),
                     RegisterQuery::sortQuery(i));

    // The path the program takes: a change of the sort order re-orders the rows kept in memory.
    // Each timed open comes from another sort order (untimed), as a title click does.
    reg->setInMemoryResort(true);
    // Opening reads the whole register (and keeps its rows); a return to it is served from memory.
    openRegister(RegisterQuery::kWholeRegister);
    whole.what = QStringLiteral("Register öffnen (Zeilen behalten)");
    whole.target = 1.2;
    {
        const Prepared p = translated(RegisterQuery::kWholeRegister);
        const Timing t = measure(
            opt.reps, [&] { reg->fullRefresh(); }, [&] { rawRead(db, p); });
        whole.store = t.store;
        whole.raw = t.raw;
        whole.rows = reg->recordCount();
        printLine(whole);
    }
    auto inMemoryLine = [&](int i, bool descending) {
        const QString text = RegisterQuery::sortQuery(i) + (descending ? QStringLiteral(" DESC") : QString());
        Line l{QStringLiteral("im Speicher %1 %2%3")
                   .arg(i, 2)
                   .arg(RegisterQuery::sortNames().at(i),
                        descending ? QStringLiteral(" absteigend") : QString()),
               0, 0, 0, 0.25};
        const Prepared p = translated(text);
        qint64 rawRows = 0;
        int served = 0;
        const Timing t = measure(
            opt.reps,
            [&] {
                const int before = reg->inMemoryOpenCount();
                openRegister(text);
                served += reg->inMemoryOpenCount() - before;
            },
            [&] { rawRows = rawRead(db, p); },
            [&] { openRegister(RegisterQuery::sortQuery((i + 1) % RegisterQuery::kSortCount)); });
        l.store = t.store;
        l.raw = t.raw;
        l.rows = reg->recordCount();
        if (rawRows != l.rows)
            std::printf("  Zeilenzahl weicht ab: Store %lld, roh %lld\n", static_cast<long long>(l.rows),
                        static_cast<long long>(rawRows));
        if (served != opt.reps) {
            ++g_missed;
            std::printf("  FEHLER: nur %d von %d Öffnungen aus dem Speicher\n", served, opt.reps);
        }
        printLine(l);
    };
    {
        Line back{QStringLiteral("im Speicher: select * from Vorgang"), 0, 0, 0, 0.25};
        const Prepared p = translated(RegisterQuery::kWholeRegister);
        const int before = reg->inMemoryOpenCount();
        const Timing t = measure(
            opt.reps, [&] { openRegister(RegisterQuery::kWholeRegister); }, [&] { rawRead(db, p); },
            [&] { openRegister(RegisterQuery::sortQuery(7)); });
        back.store = t.store;
        back.raw = t.raw;
        back.rows = reg->recordCount();
        if (reg->inMemoryOpenCount() - before != 2 * opt.reps) {
            ++g_missed;
            std::printf("  FEHLER: nicht jede Öffnung aus dem Speicher\n");
        }
        printLine(back);
    }
    for (int i = 0; i < RegisterQuery::kSortCount; ++i)
        inMemoryLine(i, false);
    for (int i : {5, 7})
        inMemoryLine(i, true);

    // Cheap operations get more runs: a single slow disk flush of another process must not decide.
    const int cheapReps = std::max(opt.reps, 21);

    // CountUnsold on the whole register against one raw read of it.
    openRegister(RegisterQuery::kWholeRegister);
    const Prepared wholeRaw = translated(RegisterQuery::kWholeRegister);
    Line count{QStringLiteral("CountUnsold"), reg->recordCount(), 0, 0, 0.05};
    const Timing cu = measure(
        cheapReps, [&] { CountUnsold(datMod); }, [&] { rawRead(db, wholeRaw); });
    count.store = cu.store;
    count.raw = cu.raw;
    printLine(count);
    if (Konst::UnsoldCount != g.unsold)
        std::printf("  UnsoldCount %d, erzeugt %d\n", Konst::UnsoldCount, g.unsold);

    // Edit + post of one register row, with the after-post hook it triggers, against a raw re-read
    // of the register in the order it is shown in.
    auto postLine = [&](const QString& what, const QString& text) {
        openRegister(text);
        // Back to a row by its Index, as a sort change does; this also builds the Index lookup.
        const int middle =
            reg->valueAt(reg->recordCount() / 2, reg->fieldIndex(QStringLiteral("Index"))).toInt();
        reg->locate(QStringLiteral("Index"), middle);
        const int fullReadsBefore = reg->fullReadCount();
        int n = 0;
        Line l{what, reg->recordCount(), 0, 0, 0.1};
        const Prepared p = translated(text);
        const Timing t = measure(
            cheapReps,
            [&] {
                reg->edit();
                reg->setValue(QStringLiteral("Notiz"), QStringLiteral("Geprüft, Änderung Nr. %1").arg(++n));
                reg->post();
            },
            [&] { rawRead(db, p); });
        l.store = t.store;
        l.raw = t.raw;
        printLine(l);
        if (reg->fullReadCount() != fullReadsBefore)
            std::printf("  (%d volle Lesevorgänge im Nachlauf des Speicherns)\n",
                        reg->fullReadCount() - fullReadsBefore);
        // Not timed: a new row as the record form stores it, then every row must still be found
        // at its position through its Index (the lookup is kept up to date, not rebuilt).
        reg->append();
        for (const char* key : {"Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt"})
            reg->setValue(QString::fromLatin1(key), 1);
        reg->setValue(QStringLiteral("KDatum"), QDate(2025, 7, 1));
        reg->setValue(QStringLiteral("SerienNr"), QStringLiteral("Ü-%1").arg(reg->recordCount()));
        reg->post();
        // A sample of rows plus the two posted ones (each look-up scans the order).
        const int indexField = reg->fieldIndex(QStringLiteral("Index"));
        const int rows = reg->recordCount();
        std::vector<int> probe = {reg->recNo() - 1, reg->positionOfIndex(middle)};
        for (int row = 0; row < rows; row += std::max(1, rows / 2000))
            probe.push_back(row);
        int misplaced = probe[1] < 0 ? 1 : 0;
        for (int row : probe)
            misplaced += row >= 0 && reg->positionOfIndex(reg->valueAt(row, indexField).toInt()) != row;
        if (misplaced > 0) {
            ++g_missed;
            std::printf("  FEHLER: %d Zeilen werden über ihren Index an falscher Position gefunden\n",
                        misplaced);
        }
    };
    postLine(QStringLiteral("Post + AfterPost (select * from Vorgang)"), RegisterQuery::kWholeRegister);
    postLine(QStringLiteral("Post + AfterPost (Sortierung 7 Käufer)"), RegisterQuery::sortQuery(7));

    datMod.Disconnect();
    const double peak = overallPeakMemoryMb();
    const bool memOk = peak >= 0 && peak <= 200.0;
    g_missed += memOk ? 0 : 1;
    std::printf("\n%s %8.1f MB (Ziel ≤ 200 MB)  %s\n",
                padded(QStringLiteral("Spitzenspeicher (VmHWM)"), 44).constData(), peak,
                memOk ? "OK" : "MISSED");
    std::printf("%s\n", g_missed == 0 ? "Alle Ziele erreicht." : "Nicht alle Ziele erreicht.");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    keepLargeBlocksMapped(); // as the program does
    QCoreApplication app(argc, argv);
    const std::optional<Options> opt = parseOptions(app.arguments());
    if (!opt) {
        std::fprintf(stderr, "Aufruf: bench_store [--rows N] [--reps N] [--keep ORDNER]\n");
        return 2;
    }
    try {
        if (!opt->keep.isEmpty()) {
            QDir().mkpath(opt->keep);
            const QString dir = QFileInfo(opt->keep).absoluteFilePath();
            if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Waffenbuch.mdb")))) {
                std::fprintf(stderr,
                             "%s enthält schon eine Waffenbuch.mdb; bitte einen leeren Ordner angeben.\n",
                             qPrintable(dir));
                return 2;
            }
            return runBenchmark(*opt, dir);
        }
        QTemporaryDir tmp;
        if (!tmp.isValid()) {
            std::fprintf(stderr, "Kein temporärer Ordner: %s\n", qPrintable(tmp.errorString()));
            return 1;
        }
        return runBenchmark(*opt, tmp.path());
    } catch (const DbError& e) {
        std::fprintf(stderr, "Fehler: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}
