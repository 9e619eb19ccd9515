#pragma once

#include <QString>
#include <functional>

class Prompts;

// Runs an event handler; an exception that escapes it is shown in the default error box and
// the program goes on in the state reached. No exception ever crosses the Qt event loop.
// Returns false when the handler ended with an error.
bool runGuarded(Prompts& prompts, const std::function<void()>& handler);

// Rethrows the current exception's text in German terms for the error box.
QString currentExceptionText();
