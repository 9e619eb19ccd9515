// Restore-point benchmark: generates a register, then times making a restore point and restoring
// it against a plain `cp` of the same file, with the peak memory of each.
//
//   bench_restore [--rows N] [--reps N]

#include "common/Konst.h"
#include "store/DatabaseFactory.h"
#include "store/RestorePoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

long peakKiB(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_maxrss;
}

// Median of `reps` runs, in milliseconds; `between` runs untimed before each run.
double median(int reps, const std::function<void()>& run, const std::function<void()>& between = {}) {
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        if (between)
            between();
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Time from "begin" to each step of the last run, per step in the order reached.
struct Steps {
    QElapsedTimer timer;
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> ms;
    void reached(const char* step) {
        if (std::string(step) == "begin") {
            timer.start();
            return;
        }
        if (!ms.count(step))
            order.push_back(step);
        ms[step].push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // "copied 12.0, checked 40.1, ..." (medians, ms since the start), then cleared.
    std::string take() {
        std::string out;
        for (const std::string& step : order) {
            std::vector<double>& v = ms[step];
            std::sort(v.begin(), v.end());
            char buf[64];
            std::snprintf(buf, sizeof buf, "%s%s %.1f", out.empty() ? "" : ", ", step.c_str(),
                          v[v.size() / 2]);
            out += buf;
        }
        order.clear();
        ms.clear();
        return out;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = 100000;
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--rows"))
            rows = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--reps"))
            reps = args[i + 1].toInt();
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Archiv"));
    const QString db = dir.filePath(QStringLiteral("Waffenbuch.mdb"));
    const QString bak = dir.filePath(QStringLiteral("Archiv/Waffenbuch.BAK"));
    const QString kept = dir.filePath(QStringLiteral("Archiv/Waffenbuch.vor-Wiederherstellung.BAK"));
    DatabaseFactory::create(db);
    DatabaseFactory::execute(
        db, QStringLiteral(R"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)
            INSERT INTO "Vorgang" ("Index", "KDatum", "SerienNr", "Kaufer", "EWBNR", "Notiz")
            SELECT i, date('2000-01-01', '+' || (i % 8000) || ' days'), 'SN-' || hex(randomblob(6)),
                   1, 'EWB ' || (i * 7919 % 100000), 'Notiz zum Eintrag ' || i FROM n)")
                .arg(rows));
    const double mib = double(QFileInfo(db).size()) / (1024.0 * 1024.0);
    std::printf("register of %d entries, %.1f MiB, median of %d runs\n", rows, mib, reps);

    const QString plain = dir.filePath(QStringLiteral("Archiv/plain.copy"));
    auto cp = [&](bool sync) {
        QStringList a{db, plain};
        QProcess::execute(QStringLiteral("cp"), a);
        if (sync)
            QProcess::execute(QStringLiteral("sync"), {plain});
    };
    const double cpMs = median(reps, [&] { cp(false); });
    const double cpSyncMs = median(reps, [&] { cp(true); });
    // The plain copies above replace the copy before, as a restore point does, and so free its
    // blocks; on some file systems that costs as much as the copy itself.
    const double cpNewMs = median(
        reps, [&] { cp(false); },
        [&] {
            QFile::remove(plain);
            QProcess::execute(QStringLiteral("sync"), QStringList());
        });
    const long cpPeak = peakKiB(RUSAGE_CHILDREN);

    Steps steps;
    RestorePoint::stepHook = [&steps](const char* step) { steps.reached(step); };
    const long before = peakKiB(RUSAGE_SELF);
    bool ok = true;
    const double makeMs = median(reps, [&] { ok = RestorePoint::make(db, bak) && ok; });
    const long makePeak = peakKiB(RUSAGE_SELF);
    const std::string makeSteps = steps.take();
    const double restoreMs = median(reps, [&] { ok = RestorePoint::restore(bak, db, kept) && ok; });
    const long restorePeak = peakKiB(RUSAGE_SELF);
    const std::string restoreSteps = steps.take();
    RestorePoint::stepHook = nullptr;
    const double checkMs = median(reps, [&] { ok = RestorePoint::check(bak) && ok; });

    std::printf("%-34s %9.1f ms\n", "cp", cpMs);
    std::printf("%-34s %9.1f ms   peak %ld KiB\n", "cp + sync", cpSyncMs, cpPeak);
    std::printf("%-34s %9.1f ms\n", "cp to a new file", cpNewMs);
    std::printf("%-34s %9.1f ms   %.2fx cp   %.2fx cp+sync   peak %ld KiB (+%ld)\n",
                "restore point (copy, check)", makeMs, makeMs / cpMs, makeMs / cpSyncMs, makePeak,
                makePeak - before);
    std::printf("%-34s %9.1f ms   %.2fx cp   %.2fx cp+sync   peak %ld KiB (+%ld)\n",
                "restore (check, copy, keep)", restoreMs, restoreMs / cpMs, restoreMs / cpSyncMs, restorePeak,
                restorePeak - makePeak);
    std::printf("%-34s %9.1f ms\n", "of which the check (quick_check)", checkMs);
    std::printf("steps of the restore point (ms from the start): %s\n", makeSteps.c_str());
    std::printf("steps of the restore (ms from the start): %s\n", restoreSteps.c_str());
    if (!ok) {
        std::printf("a restore point or restore failed\n");
        return 1;
    }
    return 0;
}
