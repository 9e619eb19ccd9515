#pragma once

#include <QComboBox>

// A combo box that can be made read-only: it then shows its value but opens no list. Its list
// is as wide as its longest entry and its tooltip shows the whole chosen text, so that a long
// entry in a narrow box can still be read.
class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit LookupComboBox(QWidget* parent = nullptr);
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    void showPopup() override;

signals:
    void cleared(); // the user emptied the box with Delete or Backspace

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool m_readOnly = false;
};
