#include "store/JetLexer.h"

#include <QDate>
#include <QStringList>

namespace jet::lexer {

namespace {

const QString kSyntax = QStringLiteral("Syntaxfehler in der Abfrage: ");

bool isReservedWord(const QString& upper) {
    static const QStringList keywords = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"),  QStringLiteral("WHERE"), QStringLiteral("ORDER"),
        QStringLiteral("BY"),     QStringLiteral("INNER"), QStringLiteral("JOIN"),  QStringLiteral("ON"),
        QStringLiteral("AND"),    QStringLiteral("LIKE"),  QStringLiteral("ASC"),   QStringLiteral("DESC"),
        QStringLiteral("AS")};
    return keywords.contains(upper);
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// ASCII letters and the German ones; table and column names use nothing else.
bool isLetter(QChar c) {
    if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
        return true;
    return QStringLiteral("äöüÄÖÜß").contains(c);
}

bool isIdentChar(QChar c) {
    return isLetter(c) || isAsciiDigit(c) || c == QLatin1Char('_');
}

bool isDigits(const QString& s, int minLength, int maxLength) {
    if (s.size() < minLength || s.size() > maxLength)
        return false;
    for (QChar c : s)
        if (!isAsciiDigit(c))
            return false;
    return true;
}

// #m/d/yyyy# (content without the #) to yyyy-MM-dd; empty when it is no valid date.
QString isoFromJetDate(const QString& content) {
    const QStringList parts = content.split(QLatin1Char('/'));
    if (parts.size() != 3 || !isDigits(parts[0], 1, 2) || !isDigits(parts[1], 1, 2) ||
        !isDigits(parts[2], 4, 4))
        return {};
    const QDate date(parts[2].toInt(), parts[0].toInt(), parts[1].toInt());
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

} // namespace

[[noreturn]] void fail(const QString& what) {
    throw SyntaxError(kSyntax + what);
}

QString atPosition(int pos) {
    return QStringLiteral(" an Position %1.").arg(pos + 1);
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> tokens;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (isLetter(c)) {
            while (i < n && isIdentChar(s[i]))
                ++i;
            t.text = s.mid(t.pos, i - t.pos);
            const QString upper = t.text.toUpper();
            if (isReservedWord(upper)) {
                t.type = Tok::Keyword;
                t.value = upper;
            } else {
                t.type = Tok::Ident;
                t.value = t.text;
            }
        } else if (isAsciiDigit(c)) {
            // Numbers are no part of the grammar; lexed whole only to name them in the message.
            while (i < n && (isAsciiDigit(s[i]) || s[i] == QLatin1Char('.')))
                ++i;
            t.type = Tok::Other;
            t.text = s.mid(t.pos, i - t.pos);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            ++i;
            for (;;) {
                if (i >= n)
                    fail(QStringLiteral("nicht abgeschlossene Zeichenkette") + atPosition(t.pos));
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        t.value += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.value += s[i++];
            }
            t.type = Tok::Text;
            t.text = s.mid(t.pos, i - t.pos);
        } else if (c == QLatin1Char('#')) {
            const int close = int(s.indexOf(QLatin1Char('#'), i + 1));
            if (close < 0)
                fail(QStringLiteral("nicht abgeschlossenes Datum") + atPosition(t.pos));
            i = close + 1;
            t.type = Tok::Date;
            t.text = s.mid(t.pos, i - t.pos);
            t.value = isoFromJetDate(s.mid(t.pos + 1, close - t.pos - 1));
            if (t.value.isEmpty())
                throw SyntaxError(QStringLiteral("Ungültiges Datum in der Abfrage: ") + t.text);
        } else {
            ++i;
            switch (c.unicode()) {
            case '*':
                t.type = Tok::Star;
                break;
            case ',':
                t.type = Tok::Comma;
                break;
            case '.':
                t.type = Tok::Dot;
                break;
            case '(':
                t.type = Tok::LParen;
                break;
            case ')':
                t.type = Tok::RParen;
                break;
            case '=':
                t.type = Tok::Equals;
                break;
            case ';':
                t.type = Tok::Semicolon;
                break;
            default: {
                // Name operators and comment openers whole in the message.
                static const QStringList pairs = {
                    QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!="),
                    QStringLiteral("--"), QStringLiteral("/*"), QStringLiteral("||")};
                if (i < n && pairs.contains(s.mid(t.pos, 2)))
                    ++i;
                t.type = Tok::Other;
            }
            }
            t.text = s.mid(t.pos, i - t.pos);
        }
        tokens.push_back(t);
    }
    Token end;
    end.pos = n;
    tokens.push_back(end);
    return tokens;
}

} // namespace jet::lexer
