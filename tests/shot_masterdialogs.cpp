// Renders each master-data dialog over the register window into PNG files, to look at them as a
// dealer sees them (run under a virtual display with a window manager). Not a test.
#include "app/Application.h"
#include "common/ScriptedPrompts.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/TestFolder.h"
#include "window/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    TestFolder folder;
    addSampleData(folder);
    folder.sql(QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Waffen Test', "Strasse" = 'Markt 1',
                                 "Ort" = '34117 Kassel', "CheckDataSave" = 0)"));
    ScriptedPrompts prompts;
    prompts.queueInput(QStringLiteral("Waffenbuch"));
    Application app(prompts);
    QDialog* shown = nullptr;
    app.runner.hook = [&shown](QDialog* d) {
        shown = d;
        d->show();
        return int(QDialog::Accepted);
    };
    TFormMain& w = *app.forms.FormMain;
    w.startFolder = folder.path();
    w.show();
    QTest::qWait(400);
    Dataset& reg = *app.forms.DatMod->ASet_Vorgang;

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
    reg.locate(QStringLiteral("Index"), 3);
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
    reg.locate(QStringLiteral("Index"), 1);
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
    prompts.queueYes();
    w.close();
    return 0;
}
