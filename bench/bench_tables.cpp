// Table page benchmark: the register grid over a generated register of 100,000 entries, in the
// real register window, against the same statements stepped directly through SQLite on the
// same connection.
//
//   bench_tables [--rows N] [--reps N]
//
//   - showing the page (switch and paint; the register was read at the connect), against
//     stepping its statement ("select * from Vorgang") with every cell touched; for comparison
//     also the register read again and the page shown;
//   - jumping to the last row (Ctrl+End in the grid: the row, the address panels, the status
//     bar, the repaint), against stepping the same statement to its last row;
//   - a click on the title "Käufer": the register read again sorted by buyer, against stepping
//     the sorted statement;
//   - scrolling: the time per page down over the whole register, which stays flat only when
//     the grid reads nothing but the rows it shows.
//
// Runs offscreen by itself.

#include "BenchTiming.h"
#include "RegisterGenerator.h"
#include "app/Application.h"
#include "common/Allocator.h"
#include "common/DbError.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "store/DatabaseFactory.h"
#include "store/JetTranslator.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "store/TDatMod.h"
#include "widgets/DBGrid.h"
#include "window/TFormMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

volatile quint64 g_sink = 0;

// The login answered with the password; errors kept to be reported.
class BenchPrompts : public Prompts {
public:
    QStringList errors;
    void message(const QString& text) override { errors << text; }
    Answer yesNo(const QString&, bool) override { return Answer::Yes; }
    Answer yesNoCancel(const QString&) override { return Answer::Yes; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return QStringLiteral("Waffenbuch");
    }
    std::optional<QString> password(const QString&, const QString&) override {
        return QStringLiteral("Waffenbuch");
    }
    std::optional<int> chooseColour(int) override { return std::nullopt; }
    void errorBox(const QString& text) override { errors << text; }
    bool openFile(const QString&) override { return false; }
};
int g_missed = 0;

// Steps the translated statement, touching every cell, up to `limit` rows; returns the rows read.
qint64 rawRead(sqlite3* db, const QString& jetText, qint64 limit = -1) {
    const jet::Translation t = jet::translate(jetText, schema::lookup());
    const QByteArray sql = t.sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    const int n = sqlite3_column_count(st);
    qint64 rows = 0;
    quint64 sum = 0;
    while ((limit < 0 || rows < limit) && sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < n; ++c)
            sum += sqlite3_column_type(st, c) == SQLITE_INTEGER ? quint64(sqlite3_column_int64(st, c))
                                                                : quint64(sqlite3_column_bytes(st, c));
    }
    sqlite3_finalize(st);
    g_sink = g_sink + sum;
    return rows;
}

void report(const char* what, qint64 rows, double ours, double raw, double target) {
    const double ratio = raw > 0 ? ours / raw : 0;
    const bool ok = ratio <= target;
    g_missed += ok ? 0 : 1;
    std::printf("%-40s %8lld %10.1f %10.1f %8.3f   ≤ %.1f  %s\n", what, static_cast<long long>(rows), ours,
                raw, ratio, target, ok ? "OK" : "MISSED");
    std::fflush(stdout);
}

// Counts the paints of the grid, so that every timed step is known to have painted.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, e);
    }
};

PaintCounter* g_paints = nullptr;

// Lets the event loop lay out and paint what changed, as it does before the next input.
void paint(DBGrid* grid) {
    const int before = g_paints->paints;
    QCoreApplication::processEvents();
    // Nothing was due (the row did not move far enough to change the picture): paint anyway,
    // so that every step is timed with one paint.
    if (g_paints->paints == before)
        grid->viewport()->repaint();
}

int run(int rows, int reps, const QString& dir) {
    const QString dbPath = QDir(dir).filePath(QStringLiteral("Waffenbuch.mdb"));
    generate(dbPath, rows);
    // Start as a dealer does, without the questions the tests do not answer here.
    DatabaseFactory::execute(dbPath,
                             QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Bench', "CheckDataSave" = 0,
        "CheckProgEnde" = 0, "Sortierung" = 0, "Breit" = 1200, "Hoch" = 900)"));
    QDir(dir).mkpath(QStringLiteral("Archiv"));
    Konst::reset();

    BenchPrompts prompts;
    Application app(prompts);
    TFormMain& w = *app.forms.FormMain;
    TDatMod& dm = *app.forms.DatMod;
    w.startFolder = dir;
    w.show();
    if (!QTest::qWaitFor(
            [&] {
                return w.startupDone() && !Konst::FirmDataMode &&
                       w.statusPanelText(4) == QStringLiteral("verbunden");
            },
            60000) ||
        !dm.isConnected())
        throw DbError(QStringLiteral("Der Start ist nicht durchgelaufen: ") + prompts.errors.join(u' '));
    Dataset& reg = *dm.ASet_Vorgang;
    DBGrid* grid = w.DBGrid_Vorgang;
    PaintCounter counter;
    g_paints = &counter;
    grid->viewport()->installEventFilter(&counter);
    sqlite3* db = dm.ADOCon.handle();
    std::printf("%d Vorgänge, %d Partner; Median aus %d Läufen\n\n", reg.recordCount(),
                dm.ATab_Kauf->recordCount(), reps);
    std::printf("%-40s %8s %10s %10s %8s %8s\n", "Schritt", "Zeilen", "Tabelle ms", "Roh ms", "Faktor",
                "Ziel");

    // Showing the page: the register read by its statement, the page shown and painted.
    {
        std::vector<double> ours, raw, pageOnly;
        qint64 rawRows = 0;
        for (int i = 0; i < reps; ++i) {
            w.PgCtrl->setCurrentWidget(w.TS_Formular);
            QCoreApplication::processEvents();
            ours.push_back(ms([&] {
                reg.close();
                reg.setCommandText(RegisterQuery::kWholeRegister);
                reg.open();
                w.PgCtrl->setCurrentWidget(w.TS_Tabellen);
                paint(grid);
            }));
            w.PgCtrl->setCurrentWidget(w.TS_Formular);
            QCoreApplication::processEvents();
            pageOnly.push_back(ms([&] {
                w.PgCtrl->setCurrentWidget(w.TS_Tabellen);
                paint(grid);
            }));
            raw.push_back(ms([&] { rawRows = rawRead(db, RegisterQuery::kWholeRegister); }));
        }
        if (rawRows != reg.recordCount())
            std::printf("  FEHLER: %d Zeilen gegen %lld roh\n", reg.recordCount(),
                        static_cast<long long>(rawRows));
        // Opening the page runs no statement: the register was read when it was connected. The
        // page is measured against the statement it shows, and with the read once more for a
        // comparison that includes everything.
        report("Seite zeigen (Wechsel + Malen)", reg.recordCount(), median(pageOnly), median(raw), 1.5);
        const double all = median(ours), r = median(raw);
        std::printf("%-40s %8d %10.1f %10.1f %8.3f   (zum Vergleich, ohne Ziel)\n",
                    "  Register neu lesen + Seite zeigen", reg.recordCount(), all, r, r > 0 ? all / r : 0.0);
    }

    // Jumping to the last row with the keyboard.
    {
        std::vector<double> ours, raw;
        grid->setFocus();
        for (int i = 0; i < reps; ++i) {
            QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
            paint(grid);
            ours.push_back(ms([&] {
                QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
                paint(grid);
            }));
            raw.push_back(ms([&] { rawRead(db, RegisterQuery::kWholeRegister); }));
        }
        if (reg.recNo() != reg.recordCount() || grid->currentIndex().row() != reg.recordCount() - 1)
            std::printf("  FEHLER: nicht auf der letzten Zeile (%d)\n", reg.recNo());
        report("Sprung zur letzten Zeile (Strg+Ende)", 1, median(ours), median(raw), 1.5);
    }

    // A click on the title "Käufer" (column 7): sorted by buyer.
    {
        std::vector<double> ours, raw;
        qint64 rawRows = 0;
        QHeaderView* h = grid->horizontalHeader();
        const int logical = h->logicalIndex(7);
        for (int i = 0; i < reps; ++i) {
            w.Combo_Sort->setCurrentIndex(0);
            w.ApplyRegisterSort();
            paint(grid);
            grid->scrollTo(grid->model()->index(0, logical));
            QCoreApplication::processEvents();
            const QPoint at(h->sectionViewportPosition(logical) + h->sectionSize(logical) / 2,
                            h->height() / 2);
            ours.push_back(ms([&] {
                QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
                paint(grid);
            }));
            raw.push_back(ms([&] { rawRows = rawRead(db, RegisterQuery::sortQuery(7)); }));
        }
        if (w.Combo_Sort->currentIndex() != 7 || rawRows != reg.recordCount())
            std::printf("  FEHLER: Sortierung %d, %d Zeilen gegen %lld roh\n", w.Combo_Sort->currentIndex(),
                        reg.recordCount(), static_cast<long long>(rawRows));
        report("Titelklick \"Käufer\"", reg.recordCount(), median(ours), median(raw), 1.5);
    }

    // Scrolling page by page through the whole register: per page, at the start and at the end.
    {
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        paint(grid);
        const int pages = 200;
        std::vector<double> first, last;
        for (int i = 0; i < pages; ++i)
            first.push_back(ms([&] {
                QTest::keyClick(grid, Qt::Key_PageDown);
                paint(grid);
            }));
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        for (int i = 0; i < pages; ++i)
            last.push_back(ms([&] {
                QTest::keyClick(grid, Qt::Key_PageUp);
                paint(grid);
            }));
        const double a = median(first), b = median(last);
        const bool flat = b <= 2.0 * a + 0.5;
        g_missed += flat ? 0 : 1;
        std::printf("\n%-40s %10.2f ms   (Anfang)\n%-40s %10.2f ms   (Ende; gleich bleibend: %s)\n",
                    "Bild weiter, je Seite", a, "Bild zurück, je Seite", b, flat ? "OK" : "MISSED");
    }

    std::printf("%s\n", g_missed == 0 ? "Alle Ziele erreicht." : "Nicht alle Ziele erreicht.");
    w.hide();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    keepLargeBlocksMapped(); // as the program does
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int rows = 100000;
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--reps"))
            reps = args.at(i + 1).toInt();
    }
    if (rows < 1 || reps < 1) {
        std::fprintf(stderr, "Aufruf: bench_tables [--rows N] [--reps N]\n");
        return 2;
    }
    try {
        QTemporaryDir tmp;
        return run(rows, reps, tmp.path());
    } catch (const DbError& e) {
        std::fprintf(stderr, "Fehler: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}
