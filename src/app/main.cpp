#include "app/Application.h"
#include "widgets/QtPrompts.h"
#include "window/TFormMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QtPrompts prompts;
    Application app(prompts);
    prompts.setParentWidget(app.forms.FormMain);
    app.forms.FormMain->show();
    return qapp.exec();
}
