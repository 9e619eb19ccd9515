#include "app/Application.h"
#include "common/Allocator.h"
#include "widgets/QtPrompts.h"
#include "window/TFormMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    keepLargeBlocksMapped();
    QApplication qapp(argc, argv);
    QtPrompts prompts;
    Application app(prompts);
    prompts.setParentWidget(app.forms.FormMain);
    app.forms.FormMain->show();
    return qapp.exec();
}
