#pragma once

#include <QDialog>
#include <QLabel>

struct Forms;
class QAbstractButton;
class QLineEdit;
class QVBoxLayout;

// The frame every dialog of the program shares: no title bar, a bold heading band across the
// top, centred over the register window when shown. Dialogs whose layout comes from a form file
// pass their heading label to `setHeading`; the others get a heading and a body to fill.
class MasterDialog : public QDialog {
    Q_OBJECT
public:
    MasterDialog(Forms& forms, const QString& objectName, const QString& heading, QWidget* parent = nullptr);
    MasterDialog(const QString& objectName, QWidget* parent = nullptr);

    QLabel* heading() const { return m_heading; }
    QVBoxLayout* body() const { return m_body; }

protected:
    // Runs once each time the dialog is shown, before the user can type.
    virtual void FormActivate() {}
    void showEvent(QShowEvent* e) override;
    void centreOverParent();

    // Makes `label` the bold heading band.
    void setHeading(QLabel* label);
    // A carriage return in `edit` is swallowed and runs `store` instead.
    void storeOnEnter(QLineEdit* edit, std::function<void()> store);
    // Buttons whose captions are painted in their pictures: the picture, the text as accessible
    // name and tooltip, and no default-button behaviour of their own.
    static void setPictureButton(QAbstractButton* button, const QString& icon, const QString& text);

    Forms* m_forms = nullptr;

private:
    void initFrame(const QString& objectName);
    QLabel* m_heading = nullptr;
    QVBoxLayout* m_body = nullptr;
};
