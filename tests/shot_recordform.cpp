// Renders the record form as a dealer sees it (a sold entry, and the same entry in edit mode)
// into PNG files. Not a test: scripts/screenshot.sh runs it to renew the README's picture.
#include "app/Application.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "window/TFormMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("record-form.png");
    TestFolder folder;
    addSampleData(folder);
    // With no firm name the start-up asks for it in a dialog of its own, which would wait here.
    folder.sql(
        QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Waffen Hubertus GmbH', "Strasse" = 'Marktplatz 7',
                                "Ort" = '34117 Kassel')"));
    ScriptedPrompts prompts;
    prompts.queueInput(QStringLiteral("Waffenbuch"));
    Application app(prompts);
    TFormMain& w = *app.forms.FormMain;
    w.startFolder = folder.path();
    w.show();
    QTest::qWait(200);
    app.forms.DatMod->ASet_Vorgang->setRecNo(3);
    QTest::qWait(50);
    w.grab().save(out);
    w.SpBtn09Click();
    QTest::qWait(50);
    const QFileInfo fi(out);
    w.grab().save(fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral("-edit.png"));
    w.SpBtn11Click();
    prompts.queueYes();
    w.close();
    return 0;
}
