#pragma once

#include <QFrame>
#include <QLabel>
#include <QList>
#include <memory>

namespace Ui {
class RecordForm;
}

// The record panel of the register window: the data-bound boxes of one register row with their
// captions, the add buttons beside the lookup boxes, the results-only box and the step box.
// The window binds the boxes and connects the handlers.
class RecordForm : public QFrame {
    Q_OBJECT
public:
    explicit RecordForm(QWidget* parent = nullptr);
    ~RecordForm() override;
    const Ui::RecordForm& controls() const { return *ui; }
    // The captions of the boxes (they share one colour of the scheme).
    QList<QLabel*> captions() const;

private:
    std::unique_ptr<Ui::RecordForm> ui;
};
