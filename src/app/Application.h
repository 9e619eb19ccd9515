#pragma once

#include "widgets/DialogRunner.h"
#include "common/Forms.h"

#include <QString>
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
    std::unique_ptr<TFormMain> m_main;
    std::unique_ptr<TDatMod> m_datMod;
};
