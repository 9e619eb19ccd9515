#pragma once

#include "common/Prompts.h"

#include <QPointer>
#include <QWidget>

// The prompts as message boxes and dialogs of the desktop, parented to the register window.
class QtPrompts : public Prompts {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void message(const QString& text) override;
    Answer yesNo(const QString& text, bool defaultNo = false) override;
    Answer yesNoCancel(const QString& text) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> password(const QString& title, const QString& prompt) override;
    std::optional<int> chooseColour(int initial) override;
    void errorBox(const QString& text) override;
    bool openFile(const QString& path) override;
    std::optional<OutputChoice> chooseOutput(const QString& reportTitle) override;

private:
    QPointer<QWidget> m_parent;
};
