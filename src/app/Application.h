#pragma once

#include "common/Forms.h"
#include "widgets/DialogRunner.h"

#include <QString>
#include <QTranslator>
#include <memory>

class Prompts;

// Creates the windows once, in the program's order, and keeps them for the whole run.
class Application {
public:
    static inline const QString kTitle = QStringLiteral("Tarnova Elektronisches Waffenbuch v1.1");

    explicit Application(Prompts& prompts);
    ~Application();

    Forms forms;
    DialogRunner runner;

private:
    // Qt's own texts (stock buttons, the context menu of text boxes, file dialogs) in German.
    QTranslator m_qtTexts;
    std::unique_ptr<TFormMain> m_main;
    std::unique_ptr<TDatMod> m_datMod;
};
