#include "common/ScriptedPrompts.h"

template <class T> bool ScriptedPrompts::take(const QString& what, T& out) {
    if (m_answers.empty() || !std::holds_alternative<T>(m_answers.front())) {
        unexpected(what);
        return false;
    }
    out = std::get<T>(m_answers.front());
    m_answers.pop_front();
    return true;
}

void ScriptedPrompts::unexpected(const QString& what) {
    const QString text = QStringLiteral("no answer queued for %1").arg(what);
    m_failures << text;
    if (onUnexpected)
        onUnexpected(text);
}

QStringList ScriptedPrompts::texts(const QString& kind) const {
    QStringList out;
    for (const Shown& s : m_shown)
        if (s.kind == kind)
            out << s.text;
    return out;
}

void ScriptedPrompts::message(const QString& text) {
    m_shown.append({QStringLiteral("message"), text});
}

Prompts::Answer ScriptedPrompts::yesNo(const QString& text, bool defaultNo) {
    m_shown.append({QStringLiteral("yesNo"), text});
    lastDefaultNo = defaultNo;
    Answer a = defaultNo ? Answer::No : Answer::Yes;
    take(QStringLiteral("yes/no box \"%1\"").arg(text), a);
    return a;
}

std::optional<QString> ScriptedPrompts::input(const QString& title, const QString& prompt, const QString&) {
    m_shown.append({QStringLiteral("input"), title + QLatin1Char('|') + prompt});
    InputAnswer a;
    take(QStringLiteral("input box \"%1\"").arg(prompt), a);
    return a.text;
}

std::optional<int> ScriptedPrompts::chooseColour(int) {
    m_shown.append({QStringLiteral("colour"), QString()});
    ColourAnswer a;
    take(QStringLiteral("colour dialog"), a);
    return a.colour;
}

void ScriptedPrompts::errorBox(const QString& text) {
    m_shown.append({QStringLiteral("error"), text});
}

bool ScriptedPrompts::openFile(const QString& path) {
    m_shown.append({QStringLiteral("open"), path});
    OpenAnswer a{false};
    take(QStringLiteral("shell open of %1").arg(path), a);
    return a.ok;
}

std::optional<Prompts::OutputChoice> ScriptedPrompts::chooseOutput(const QString& reportTitle) {
    m_shown.append({QStringLiteral("output"), reportTitle});
    OutputAnswer a{std::nullopt};
    take(QStringLiteral("output dialog for %1").arg(reportTitle), a);
    return a.choice;
}
