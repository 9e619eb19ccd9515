#pragma once

#include <QDialog>
#include <QLabel>

struct Forms;
class QVBoxLayout;

// The frame every dialog of the program shares: no title bar, a bold heading band across the
// top, centred over the register window when shown.
class MasterDialog : public QDialog {
    Q_OBJECT
public:
    MasterDialog(Forms& forms, const QString& objectName, const QString& heading, QWidget* parent = nullptr);

    QLabel* heading() const { return m_heading; }
    QVBoxLayout* body() const { return m_body; }

protected:
    void showEvent(QShowEvent* e) override;
    Forms& m_forms;

private:
    QLabel* m_heading;
    QVBoxLayout* m_body;
};
