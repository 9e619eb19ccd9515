#include "window/NavigationBar.h"

#include "ui_NavigationBar.h"
#include "window/Icons.h"

NavigationBar::NavigationBar(QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::NavigationBar>()) {
    ui->setupUi(this);
    for (int n = 1; n <= 16; ++n) {
        QToolButton* b = button(n);
        b->setIcon(Icons::icon(b->objectName().toLower()));
    }
}

NavigationBar::~NavigationBar() = default;

QToolButton* NavigationBar::button(int number) const {
    QToolButton* const all[16] = {ui->SpBtn01, ui->SpBtn02, ui->SpBtn03, ui->SpBtn04,
                                  ui->SpBtn05, ui->SpBtn06, ui->SpBtn07, ui->SpBtn08,
                                  ui->SpBtn09, ui->SpBtn10, ui->SpBtn11, ui->SpBtn12,
                                  ui->SpBtn13, ui->SpBtn14, ui->SpBtn15, ui->SpBtn16};
    return all[number - 1];
}
