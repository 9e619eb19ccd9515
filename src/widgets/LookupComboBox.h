#pragma once

#include <QComboBox>

// A combo box that can be made read-only: it then shows its value but opens no list.
class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    void showPopup() override;

signals:
    void cleared(); // the user emptied the box with Delete or Backspace

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    bool m_readOnly = false;
};
