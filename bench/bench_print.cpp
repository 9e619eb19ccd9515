// Printing benchmark: the register book of a generated register (100,000 entries by default) to a
// PDF file through the real report run (output dialog answered with "file", progress window,
// page-by-page rendering), the first page of the preview, and cancelling from the progress window.
//
//   bench_print [--rows N] [--keep FILE.pdf]
//
// Runs offscreen by itself. Targets: PDF ≤ 30 s, peak memory ≤ 300 MB, progress shown at least
// every second, preview's first page ≤ 5 s.

#include "RegisterGenerator.h"
#include "common/Allocator.h"
#include "common/DbError.h"
#include "common/Forms.h"
#include "common/Konst.h"
#include "printing/ReportEngine.h"
#include "printing/ReportRunner.h"
#include "store/TDatMod.h"
#include "support/ScriptedPrompts.h"
#include "widgets/DialogRunner.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

int g_missed = 0;

// CPU seconds of this process: on a machine shared with other work the wall clock says little.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double memoryMb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void verdict(const char* what, double value, const char* unit, double target) {
    const bool ok = value >= 0 && value <= target;
    g_missed += ok ? 0 : 1;
    std::printf("%-46s %10.1f %-3s (Ziel ≤ %.0f %s)  %s\n", what, value, unit, target, unit,
                ok ? "OK" : "MISSED");
    std::fflush(stdout);
}

void sql(const QString& db, const QString& statement) {
    sqlite3* h = nullptr;
    sqlite3_open(QFile::encodeName(db).constData(), &h);
    sqlite3_exec(h, statement.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(h);
}

Prompts::OutputChoice output(Prompts::OutputChoice::Destination d, const QString& file = QString()) {
    Prompts::OutputChoice c;
    c.destination = d;
    c.file = file;
    return c;
}

int run(int rows, const QString& dir, const QString& keep) {
    const QString db = QDir(dir).filePath(QStringLiteral("Waffenbuch.mdb"));
    std::printf("Register mit %d Einträgen wird erzeugt …\n", rows);
    std::fflush(stdout);
    generate(db, rows);
    sql(db,
        QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Waffen Hubertus GmbH', "Strasse" = 'Marktplatz 7',
                              "Ort" = '34117 Kassel')"));
    QDir(dir).mkpath(QStringLiteral("Archiv"));
    for (const char* f : {"Waffenbuch.rav", "Amt.rav", "Unterlagen.rav"})
        QFile::copy(QStringLiteral(WB_SOURCE_DIR "/data/Archiv/") + QLatin1String(f),
                    QDir(dir).filePath(QStringLiteral("Archiv/") + QLatin1String(f)));
    Konst::reset();
    Konst::AppDir = QDir::toNativeSeparators(QDir(dir).absolutePath() + QLatin1Char('/'));
    QString password;
    Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, password);

    ScriptedPrompts prompts;
    DialogRunner runner;
    TDatMod datMod;
    Forms forms;
    forms.prompts = &prompts;
    forms.runner = &runner;
    forms.DatMod = &datMod;
    datMod.Connect();
    datMod.ASet_Vorgang->setRecNo(rows / 2);
    const double base = memoryMb("VmRSS:");
    std::printf("%-46s %10.1f MB  (Register geladen, vor dem Druck)\n", "Speicher vor dem Druck (VmRSS)",
                base);
    const QString book = datMod.RvProjectBuch.projectFile;

    // The register book to a PDF file.
    const QString pdf = keep.isEmpty() ? QDir(dir).filePath(QStringLiteral("waffenbuch.pdf")) : keep;
    prompts.queueOutput(output(Prompts::OutputChoice::Destination::File, pdf));
    QElapsedTimer timer;
    const double cpuBefore = cpuSeconds();
    timer.start();
    ReportRunner::run(forms, book, QStringLiteral("ReportWaffenbuch"), nullptr);
    const double seconds = double(timer.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;
    const ReportRunner::Figures fig = ReportRunner::lastFigures();
    std::printf("%-46s %10d     (%.1f MB PDF)\n", "Seiten", fig.pages, double(QFile(pdf).size()) / 1e6);
    verdict("Waffenbuch als PDF (Uhrzeit)", seconds, "s", 30);
    verdict("Waffenbuch als PDF (Rechenzeit des Prozesses)", cpu, "s", 30);
    verdict("Spitzenspeicher (VmHWM)", memoryMb("VmHWM:"), "MB", 300);
    verdict("Spitzenspeicher über dem geladenen Register", memoryMb("VmHWM:") - base, "MB", 300);
    verdict("längster Abstand der Fortschrittsanzeige", double(fig.longestProgressGapMs), "ms", 1000);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (info.waitForFinished(60000)) {
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        const qsizetype at = text.indexOf(QStringLiteral("Pages:"));
        if (at >= 0)
            std::printf("%-46s %s\n", "pdfinfo",
                        qPrintable(text.mid(at, text.indexOf(u'\n', at) - at).simplified()));
    }
    if (datMod.ASet_Vorgang->recNo() != rows / 2) {
        std::printf("Aktuelle Zeile nach dem Druck verändert!\n");
        ++g_missed;
    }

    // The preview's first page: the time until the preview window is ready to show it.
    prompts.queueOutput(output(Prompts::OutputChoice::Destination::Preview));
    double firstPage = -1;
    runner.hook = [&](QDialog*) {
        firstPage = double(timer.elapsed()) / 1000.0;
        return int(QDialog::Rejected);
    };
    timer.restart();
    ReportRunner::run(forms, book, QStringLiteral("ReportWaffenbuch"), nullptr);
    verdict("Vorschau: erste Seite", firstPage, "s", 5);

    // Cancelling from the progress window after two seconds.
    const QString cancelled = QDir(dir).filePath(QStringLiteral("abbruch.pdf"));
    prompts.queueOutput(output(Prompts::OutputChoice::Destination::File, cancelled));
    qint64 pressed = -1;
    QTimer press;
    press.setSingleShot(true);
    QObject::connect(&press, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w)) {
                pressed = timer.elapsed();
                p->cancel();
            }
    });
    timer.restart();
    press.start(2000);
    ReportRunner::run(forms, book, QStringLiteral("ReportWaffenbuch"), nullptr);
    if (pressed < 0) {
        std::printf("%-46s (Druck war vor dem Klick fertig: mehr Einträge nötig)\n", "Abbrechen");
    } else {
        verdict("Abbrechen: Ende nach dem Klick", double(timer.elapsed() - pressed), "ms", 1000);
    }
    if (pressed >= 0 && QFile::exists(cancelled)) {
        std::printf("Abgebrochene PDF-Datei ist liegen geblieben!\n");
        ++g_missed;
    }
    std::printf("%s\n", g_missed == 0 ? "Alle Ziele erreicht." : "Nicht alle Ziele erreicht.");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    keepLargeBlocksMapped(); // as the program does
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 100000;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--keep"))
            keep = args.at(i + 1);
    }
    if (rows < 1) {
        std::fprintf(stderr, "Aufruf: bench_print [--rows N] [--keep DATEI.pdf]\n");
        return 2;
    }
    try {
        QTemporaryDir tmp;
        return run(rows, tmp.path(), keep);
    } catch (const DbError& e) {
        std::fprintf(stderr, "Fehler: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}
