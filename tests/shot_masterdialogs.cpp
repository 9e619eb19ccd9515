// Renders each master-data dialog over the register window into PNG files, to look at them as a
// dealer sees them. Not a test: run it under a virtual display with a window manager,
//   shot_masterdialogs -platform xcb   (pictures go to WB_SHOT_DIR, else the current folder)
#include "support/AppRun.h"
#include "support/SampleData.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>

class ShotMasterDialogs : public QObject {
    Q_OBJECT
private slots:
    void shots();
};

void ShotMasterDialogs::shots() {
    QApplication::setQuitOnLastWindowClosed(false);
    const QString dir = qEnvironmentVariable("WB_SHOT_DIR", QDir::currentPath());
    AppRun run;
    addSampleData(run.folder);
    run.create();
    QDialog* shown = nullptr;
    run.app->runner.hook = [&shown](QDialog* d) {
        shown = d;
        d->show();
        return int(QDialog::Accepted);
    };
    QVERIFY(run.login());
    TFormMain& w = run.main();
    QTest::qWait(300);

    auto shoot = [&](const QString& name, const std::function<void()>& open, const QString& typed) {
        shown = nullptr;
        open();
        if (!shown)
            return;
        shown->activateWindow();
        QTest::qWait(300);
        if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()); edit && !typed.isEmpty())
            QTest::keyClicks(edit, typed);
        QTest::qWait(200);
        QGuiApplication::primaryScreen()->grabWindow(0).save(dir + QLatin1Char('/') + name +
                                                             QStringLiteral(".png"));
        shown->grab().save(dir + QLatin1Char('/') + name + QStringLiteral("-dialog.png"));
        shown->reject();
        shown->hide(); // the country pick is left only by taking a country
        QTest::qWait(100);
    };
    run.reg().locate(QStringLiteral("Index"), 3);
    w.SpBtn09Click();
    shoot(
        QStringLiteral("waffentyp"), [&] { w.SB_Typ->click(); }, QStringLiteral("Armbrust"));
    shoot(
        QStringLiteral("kaliber"), [&] { w.SB_Kaliber->click(); }, QStringLiteral("9 mm"));
    shoot(
        QStringLiteral("hersteller"), [&] { w.SB_Hersteller->click(); }, QString());
    shoot(
        QStringLiteral("kaeufer"), [&] { w.SB_Kaufer->click(); }, QStringLiteral("Max Muster"));
    shoot(
        QStringLiteral("amt"), [&] { w.SB_Amt->click(); }, QStringLiteral("Ordnungsamt Bonn"));
    w.SpBtn11Click();
    run.reg().locate(QStringLiteral("Index"), 1);
    w.SpBtn09Click();
    shoot(
        QStringLiteral("land"), [&] { w.SB_KauferAmt->click(); }, QString());
    shoot(
        QStringLiteral("land-liste"),
        [&] {
            w.SB_KauferAmt->click();
            if (shown)
                shown->findChild<QToolButton*>(QStringLiteral("SB_Landwahl"))->click();
        },
        QString());
    w.SpBtn11Click();
    shoot(
        QStringLiteral("firma"), [&] { w.M_Firma->trigger(); }, QString());
}

QTEST_MAIN(ShotMasterDialogs)
#include "shot_masterdialogs.moc"
