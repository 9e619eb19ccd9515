// Search benchmark: a generated register, searched through the results view (statement builder,
// translator, register dataset, unsold count) against the same translated statement stepped
// directly through SQLite on the same connection; and the search dialog's activation and pick
// list with 10,000 partners.
//
//   bench_search [--rows N] [--reps N]
//
// Runs offscreen by itself (the dialog is built but never shown).

#include "BenchTiming.h"
#include "RegisterGenerator.h"
#include "common/Allocator.h"
#include "common/DbError.h"
#include "common/Forms.h"
#include "common/Konst.h"
#include "search/ResultsView.h"
#include "search/TFormSuchen.h"
#include "store/DatabaseFactory.h"
#include "store/JetTranslator.h"
#include "store/Schema.h"
#include "store/TDatMod.h"
#include "support/ScriptedPrompts.h"
#include "widgets/DialogRunner.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

volatile quint64 g_sink = 0;

// Steps the translated statement and touches every cell; returns the row count.
qint64 rawRead(sqlite3* db, const QString& jetText) {
    const jet::Translation t = jet::translate(jetText, schema::lookup());
    const QByteArray sql = t.sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    for (int i = 0; i < t.params.size(); ++i) {
        const QByteArray text = t.params.at(i).toString().toUtf8();
        sqlite3_bind_text(st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    const int n = sqlite3_column_count(st);
    qint64 rows = 0;
    quint64 sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < n; ++c)
            sum += sqlite3_column_type(st, c) == SQLITE_INTEGER ? quint64(sqlite3_column_int64(st, c))
                                                                : quint64(sqlite3_column_bytes(st, c));
    }
    sqlite3_finalize(st);
    g_sink = g_sink + sum;
    return rows;
}

// The register window as far as the results view needs it.
class WindowStub : public SearchWindowPort {
public:
    bool filterChecked() const override { return m_checked; }
    void setFilterCheckedQuietly(bool checked) override { m_checked = checked; }
    void ApplyRegisterSort() override {}
    void ShowPartyPanels() override {}
    void UpdateStatusBar() override {}

private:
    bool m_checked = false;
};

int g_missed = 0;

void report(const char* what, qint64 rows, double store, double raw, double target) {
    const double ratio = raw > 0 ? store / raw : 0;
    const bool ok = ratio <= target;
    g_missed += ok ? 0 : 1;
    std::printf("%-44s %8lld %10.1f %10.1f %8.3f   ≤ %.1f  %s\n", what, static_cast<long long>(rows), store,
                raw, ratio, target, ok ? "OK" : "MISSED");
    std::fflush(stdout);
}

int run(int rows, int reps, const QString& dir) {
    const QString dbPath = QDir(dir).filePath(QStringLiteral("Waffenbuch.mdb"));
    generate(dbPath, rows);
    Konst::reset();
    Konst::AppDir = QDir::toNativeSeparators(QDir(dir).absolutePath() + QLatin1Char('/'));
    QString password;
    Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, password);

    ScriptedPrompts prompts;
    TDatMod datMod;
    datMod.Connect();
    WindowStub window;
    ResultsView results(datMod, window, prompts);
    sqlite3* db = datMod.ADOCon.handle();
    std::printf("%d Vorgänge, %d Partner; Median aus %d Läufen\n\n", datMod.ASet_Vorgang->recordCount(),
                datMod.ATab_Kauf->recordCount(), reps);
    std::printf("%-44s %8s %10s %10s %8s %8s\n", "Suche", "Zeilen", "Suche ms", "Roh ms", "Faktor", "Ziel");

    auto searchLine = [&](const char* what, const search::SearchCriteria& c) {
        std::vector<double> s, r;
        qint64 rawRows = 0;
        const QString statement = search::buildSearchStatement(c);
        for (int i = 0; i < reps; ++i) {
            window.setFilterCheckedQuietly(false); // as after the search's own untick step
            s.push_back(ms([&] { results.runSearch(c); }));
            r.push_back(ms([&] { rawRows = rawRead(db, statement); }));
        }
        const qint64 found = datMod.ASet_Vorgang->recordCount();
        if (found != rawRows || Konst::SavedFilter != statement || !prompts.shown().isEmpty())
            std::printf("  FEHLER: %lld Zeilen gegen %lld roh\n", static_cast<long long>(found),
                        static_cast<long long>(rawRows));
        report(what, found, median(s), median(r), 1.5);
    };

    search::SearchCriteria note;
    note.set(search::Notiz, QStringLiteral("ä"));
    searchLine("Notiz enthält \"ä\"", note);

    search::SearchCriteria buyer;
    buyer.exact = true;
    buyer.set(search::Kaufer,
              datMod.ATab_Kauf->textAt(kPartners / 2, datMod.ATab_Kauf->fieldIndex(QStringLiteral("Name"))));
    searchLine("Käufer exakt", buyer);

    search::SearchCriteria combined;
    combined.set(search::WTyp, QStringLiteral("flinte"));
    combined.set(search::VDatum, QStringLiteral("15.09.2024"));
    combined.set(search::SerienNr, QStringLiteral("7"));
    searchLine("Waffentyp + Verkaufsdatum + Serien-Nr.", combined);

    // The dialog: activation refills the permit kinds; a pick lists all 10,000 partners.
    Forms forms;
    forms.prompts = &prompts;
    DialogRunner runner;
    forms.runner = &runner;
    forms.DatMod = &datMod;
    forms.Results = &results;
    TFormSuchen dialog(forms);
    std::vector<double> act, pick;
    for (int i = 0; i < std::max(reps, 11); ++i) {
        act.push_back(ms([&] { dialog.FormActivate(); }));
        pick.push_back(ms([&] { dialog.SB_KauferClick(); }));
        dialog.findChild<QComboBox*>(QStringLiteral("Combo_Such"))->setEditText(QStringLiteral("x"));
    }
    const double a = median(act);
    const bool actOk = a <= 50.0;
    g_missed += actOk ? 0 : 1;
    std::printf("\n%-44s %10.2f ms   (Ziel ≤ 50 ms)  %s\n", "Aktivierung des Suchdialogs", a,
                actOk ? "OK" : "MISSED");
    std::printf("%-44s %10.2f ms   (%d Einträge)\n", "Auswahlliste Käufer öffnen", median(pick), kPartners);

    datMod.Disconnect();
    const double peak = peakMemoryMb();
    const bool memOk = peak >= 0 && peak <= 150.0;
    g_missed += memOk ? 0 : 1;
    std::printf("%-44s %10.1f MB   (Ziel ≤ 150 MB)  %s\n", "Spitzenspeicher (VmHWM)", peak,
                memOk ? "OK" : "MISSED");
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
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--reps"))
            reps = args.at(i + 1).toInt();
    }
    if (rows < 1 || reps < 1) {
        std::fprintf(stderr, "Aufruf: bench_search [--rows N] [--reps N]\n");
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
