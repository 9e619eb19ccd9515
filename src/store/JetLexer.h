#pragma once

#include "store/JetTranslator.h"

#include <QString>
#include <vector>

// The words of a Jet statement, for the translator's parser.
namespace jet::lexer {

enum class Tok {
    Ident,
    Keyword,
    Star,
    Comma,
    Dot,
    LParen,
    RParen,
    Equals,
    Semicolon,
    Text,
    Date,
    Other,
    End
};

struct Token {
    Tok type = Tok::End;
    QString text;  // as written, for messages
    QString value; // keyword in upper case, literal value, identifier
    int pos = 0;   // 0-based offset in the statement
};

// Throws the translator's SyntaxError: "Syntaxfehler in der Abfrage: " and `what`.
[[noreturn]] void fail(const QString& what);
// " an Position N." for a 0-based offset.
QString atPosition(int pos);

// The tokens of the text, ending with one of type End. Unclosed strings or dates, and date literals
// that name no valid date, throw SyntaxError.
std::vector<Token> tokenize(const QString& s);

} // namespace jet::lexer
