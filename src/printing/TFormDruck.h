#pragma once

#include "common/Forms.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TFormDruck;
}

// The print dialog: the register book, the two letters about the current register row and the
// letter date. Several prints per showing; only the close button closes it.
class TFormDruck : public QDialog {
    Q_OBJECT
public:
    explicit TFormDruck(Forms& forms, QWidget* parent = nullptr);
    ~TFormDruck() override;

    void FormActivate();
    void DateEd_BriefChange();
    void BitBtn_DruckOKClick();
    void BitBtn_AmtDruckClick();
    void BitBtn_UnterlagenClick();
    void BitBtn_DruckESCClick();

    std::unique_ptr<Ui::TFormDruck> ui;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // False (with a message) while the register is closed: nothing to print or to store in.
    bool registerOpen();
    // Stores the letter date in the current register row; false (with a message) when it can't.
    bool storeLetterDate();
    void run(const std::function<void()>& print);
    Forms& m_forms;
};
