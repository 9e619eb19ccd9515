#pragma once

#include <QFrame>
#include <QToolButton>
#include <memory>

namespace Ui {
class NavigationBar;
}

// The toolbar of the record form: sixteen picture buttons in two rows, SpBtn09..16 above and
// SpBtn01..08 below. It knows no command; the window connects each button to its handler.
class NavigationBar : public QFrame {
    Q_OBJECT
public:
    explicit NavigationBar(QWidget* parent = nullptr);
    ~NavigationBar() override;
    // Button SpBtn<number>, 1 to 16.
    QToolButton* button(int number) const;

private:
    std::unique_ptr<Ui::NavigationBar> ui;
};
