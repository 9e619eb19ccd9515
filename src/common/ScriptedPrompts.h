#pragma once

#include "common/Prompts.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <variant>

// Answers prompts from a queue, in order, and records every text shown. A prompt for which no
// answer of its kind is queued is a test failure: it is recorded in `failures` and reported
// through `onUnexpected` (which a test sets to QFAIL-like behaviour).
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString kind; // "message", "yesNo", "input", "colour", "error", "open", "output"
        QString text;
    };

    void queueYes() { m_answers.emplace_back(Answer::Yes); }
    void queueNo() { m_answers.emplace_back(Answer::No); }
    void queueInput(const QString& text) { m_answers.emplace_back(InputAnswer{text}); }
    void queueInputCancel() { m_answers.emplace_back(InputAnswer{std::nullopt}); }
    void queueColour(std::optional<int> colour) { m_answers.emplace_back(ColourAnswer{colour}); }
    void queueOpenResult(bool ok) { m_answers.emplace_back(OpenAnswer{ok}); }
    void queueOutput(const OutputChoice& c) { m_answers.emplace_back(OutputAnswer{c}); }
    void queueOutputCancel() { m_answers.emplace_back(OutputAnswer{std::nullopt}); }

    void message(const QString& text) override;
    Answer yesNo(const QString& text, bool defaultNo = false) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial) override;
    std::optional<int> chooseColour(int initial) override;
    void errorBox(const QString& text) override;
    bool openFile(const QString& path) override;
    std::optional<OutputChoice> chooseOutput(const QString& reportTitle) override;

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts(const QString& kind) const;
    QStringList messages() const { return texts(QStringLiteral("message")); }
    QStringList errors() const { return texts(QStringLiteral("error")); }
    void clearShown() { m_shown.clear(); }
    bool allAnswersUsed() const { return m_answers.empty(); }
    const QStringList& failures() const { return m_failures; }

    std::function<void(const QString&)> onUnexpected;
    bool lastDefaultNo = false;

private:
    struct InputAnswer {
        std::optional<QString> text;
    };
    struct ColourAnswer {
        std::optional<int> colour;
    };
    struct OpenAnswer {
        bool ok;
    };
    struct OutputAnswer {
        std::optional<OutputChoice> choice;
    };
    using Queued = std::variant<Answer, InputAnswer, ColourAnswer, OpenAnswer, OutputAnswer>;

    template <class T> bool take(const QString& what, T& out);
    void unexpected(const QString& what);

    std::deque<Queued> m_answers;
    QList<Shown> m_shown;
    QStringList m_failures;
};
