#pragma once

#include <QString>
#include <optional>

// Every question and message the program puts to the user goes through this seam, so that
// tests can answer them from a queue and see every text that was shown.
class Prompts {
public:
    enum class Answer { Yes, No, Cancel };
    // Where a report goes, chosen in the output dialog.
    struct OutputChoice {
        enum class Destination { Preview, Printer, File };
        Destination destination = Destination::Preview;
        int copies = 1;
        QString printer; // empty: the default printer
        QString file;    // PDF file for Destination::File
    };

    virtual ~Prompts() = default;

    // Message box with an OK button.
    virtual void message(const QString& text) = 0;
    // Yes/No box; `defaultNo` makes No the default button.
    virtual Answer yesNo(const QString& text, bool defaultNo = false) = 0;
    // Ja/Nein/Abbrechen box with Ja as the default button; Escape answers Cancel.
    virtual Answer yesNoCancel(const QString& text) = 0;
    // Input box; returns the typed text, or nothing when cancelled.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& initial) = 0;
    // Input box whose characters are masked as they are typed.
    virtual std::optional<QString> password(const QString& title, const QString& prompt) = 0;
    // Colour dialog starting at `initial` (blue-green-red integer); nothing when cancelled.
    virtual std::optional<int> chooseColour(int initial) = 0;
    // The default error box for an error that ended a handler.
    virtual void errorBox(const QString& text) = 0;
    // The shell's "open" on a file; false when it failed.
    virtual bool openFile(const QString& path) = 0;
    // The output dialog of a report run; nothing when cancelled.
    virtual std::optional<OutputChoice> chooseOutput(const QString& reportTitle) {
        (void)reportTitle;
        return std::nullopt;
    }
};
