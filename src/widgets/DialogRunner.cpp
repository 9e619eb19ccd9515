#include "widgets/DialogRunner.h"

#include <QDialog>

int DialogRunner::exec(QDialog* dialog) {
    return hook ? hook(dialog) : dialog->exec();
}
