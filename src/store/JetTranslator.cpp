#include "store/JetTranslator.h"

#include "store/JetLexer.h"

#include <QStringList>
#include <vector>

namespace jet {

namespace {

using namespace lexer;

struct ColumnRef {
    QString table;
    QString column;
    QString sql() const { return quoted(table) + QLatin1Char('.') + quoted(column); }
};

// A piece of a condition: a value (column or literal) or a condition (comparison, AND).
struct Operand {
    QString sql;
    int pos = 0;
    bool condition = false;
    int collateAt = -1; // where a text literal's placeholder ends inside sql; -1 for anything else
};

// Deeper nesting than any statement the program builds; the limit keeps a hostile stored text from
// exhausting the stack of the recursive descent.
constexpr int kMaxNesting = 200;

class Parser {
public:
    Parser(const QString& text, const SchemaLookup& schema) : m_tokens(tokenize(text)), m_schema(schema) {}

    Translation run() {
        Translation t;
        if (peek().type == Tok::End)
            fail(QStringLiteral("die Abfrage ist leer."));
        expectKeyword("SELECT");

        std::vector<ColumnRef> selected;
        if (accept(Tok::Star)) {
            t.selectList = QStringLiteral("*");
        } else {
            QStringList parts;
            do {
                selected.push_back(columnRef());
                parts << selected.back().sql();
            } while (accept(Tok::Comma));
            t.selectList = parts.join(QStringLiteral(", "));
        }

        expectKeyword("FROM");
        t.from = source(false);

        if (acceptKeyword("WHERE"))
            t.where = condition();

        if (acceptKeyword("ORDER")) {
            expectKeyword("BY");
            const ColumnRef ref = columnRef();
            OrderColumn order;
            order.table = ref.table;
            order.column = ref.column;
            if (acceptKeyword("DESC"))
                order.descending = true;
            else
                acceptKeyword("ASC");
            if (m_schema)
                order.kind = m_schema(ref.table, ref.column);
            order.sql = ref.sql();
            if (order.kind == ColumnKind::Text)
                order.sql += QStringLiteral(" COLLATE ") + QLatin1String(kCollation);
            if (order.descending)
                order.sql += QStringLiteral(" DESC");
            t.orderBy = order;
        }

        accept(Tok::Semicolon);
        if (peek().type != Tok::End)
            unexpected(peek());

        t.sql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(" FROM ") + t.from;
        if (!t.where.isEmpty())
            t.sql += QStringLiteral(" WHERE ") + t.where;
        if (t.orderBy)
            t.sql += QStringLiteral(" ORDER BY ") + t.orderBy->sql;
        t.params = m_params;
        t.tables = m_tables;

        if (selected.empty()) {
            if (m_tables.size() == 1)
                t.baseTable = m_tables.front();
        } else {
            t.baseTable = selected.front().table;
            for (const ColumnRef& ref : selected) {
                t.columns << ref.column;
                if (ref.table.compare(t.baseTable, Qt::CaseInsensitive) != 0)
                    t.baseTable.clear();
            }
        }
        return t;
    }

private:
    const Token& peek() const { return m_tokens[m_next]; }

    const Token& take() {
        const Token& t = m_tokens[m_next];
        if (t.type != Tok::End)
            ++m_next;
        return t;
    }

    bool accept(Tok type) {
        if (peek().type != type)
            return false;
        take();
        return true;
    }

    bool isKeyword(const char* word) const {
        return peek().type == Tok::Keyword && peek().value == QLatin1String(word);
    }

    bool acceptKeyword(const char* word) {
        if (!isKeyword(word))
            return false;
        take();
        return true;
    }

    void expect(Tok type) {
        if (!accept(type))
            unexpected(peek());
    }

    void expectKeyword(const char* word) {
        if (!acceptKeyword(word))
            unexpected(peek());
    }

    // Counts one level of parentheses while it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& p) : m_p(p) {
            if (++m_p.m_depth > kMaxNesting)
                fail(QStringLiteral("zu tief verschachtelte Klammern") + atPosition(m_p.peek().pos));
        }
        ~Nesting() { --m_p.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& m_p;
    };

    [[noreturn]] static void unexpected(const Token& t) {
        if (t.type == Tok::End)
            fail(QStringLiteral("unerwartetes Ende der Abfrage."));
        QString shown = t.text;
        if (shown.size() > 40)
            shown = shown.left(40) + QStringLiteral("…");
        fail(QStringLiteral("unerwartetes '%1'").arg(shown) + atPosition(t.pos));
    }

    ColumnRef columnRef() {
        const Token& table = take();
        if (table.type != Tok::Ident)
            unexpected(table);
        if (peek().type != Tok::Dot) {
            // Where a column could stand, a bare name is a column without its table; before anything
            // else (a '(', another name) it is a function or an unknown word.
            const Tok next = peek().type;
            if (next == Tok::Equals || next == Tok::Comma || next == Tok::RParen || next == Tok::Semicolon ||
                next == Tok::End || next == Tok::Keyword)
                fail(QStringLiteral("Spalte ohne Tabelle '%1'").arg(table.text) + atPosition(table.pos));
            unexpected(table);
        }
        take();
        const Token& column = take();
        if (column.type != Tok::Ident)
            unexpected(column);
        return {table.value, column.value};
    }

    // source := primary {INNER JOIN primary ON cond}; inside parentheses a join is required.
    QString source(bool joinRequired) {
        QString sql = sourcePrimary();
        if (joinRequired && !isKeyword("INNER"))
            unexpected(peek());
        while (acceptKeyword("INNER")) {
            expectKeyword("JOIN");
            const QString right = sourcePrimary(true);
            expectKeyword("ON");
            sql += QStringLiteral(" INNER JOIN ") + right + QStringLiteral(" ON ") + condition();
        }
        return sql;
    }

    // Only the table joined on the right may carry an alias, so that one list table can be
    // joined twice (buyer and seller both name a partner).
    QString sourcePrimary(bool aliasAllowed = false) {
        if (accept(Tok::LParen)) {
            const Nesting level(*this);
            const QString inner = source(true);
            expect(Tok::RParen);
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        const Token& table = take();
        if (table.type != Tok::Ident)
            unexpected(table);
        m_tables << table.value;
        if (aliasAllowed && acceptKeyword("AS")) {
            const Token& alias = take();
            if (alias.type != Tok::Ident)
                unexpected(alias);
            return quoted(table.value) + QStringLiteral(" AS ") + quoted(alias.value);
        }
        return quoted(table.value);
    }

    QString condition() {
        const Operand c = conjunction();
        requireCondition(c);
        return c.sql;
    }

    Operand conjunction() {
        Operand left = comparison();
        while (isKeyword("AND")) {
            requireCondition(left);
            take();
            const Operand right = comparison();
            requireCondition(right);
            left.sql += QStringLiteral(" AND ") + right.sql;
            left.collateAt = -1;
        }
        return left;
    }

    Operand comparison() {
        Operand left = primary();
        const bool equals = peek().type == Tok::Equals;
        if (!equals && !isKeyword("LIKE")) {
            // A value stands alone only as a parenthesised operand: "((Kaufer.Name) Like ...)".
            if (!left.condition && peek().type != Tok::RParen)
                unexpected(peek());
            return left;
        }
        requireValue(left);
        take();
        Operand right = primary();
        requireValue(right);
        // Jet compares text case-insensitively; LIKE gets that from the connection's like().
        if (equals) {
            addCollation(left);
            addCollation(right);
        }
        Operand result;
        result.sql = left.sql + (equals ? QStringLiteral(" = ") : QStringLiteral(" LIKE ")) + right.sql;
        result.pos = left.pos;
        result.condition = true;
        return result;
    }

    Operand primary() {
        const Token& t = peek();
        Operand o;
        o.pos = t.pos;
        switch (t.type) {
        case Tok::LParen: {
            take();
            const Nesting level(*this);
            const Operand inner = conjunction();
            expect(Tok::RParen);
            o.sql = QLatin1Char('(') + inner.sql + QLatin1Char(')');
            o.condition = inner.condition;
            o.collateAt = inner.collateAt < 0 ? -1 : inner.collateAt + 1;
            return o;
        }
        case Tok::Text:
            m_params << t.value;
            take();
            o.sql = QStringLiteral("?");
            o.collateAt = 1;
            return o;
        case Tok::Date:
            m_params << t.value;
            take();
            o.sql = QStringLiteral("?");
            return o;
        case Tok::Ident:
            o.sql = columnRef().sql();
            return o;
        default:
            unexpected(t);
        }
    }

    static void requireCondition(const Operand& o) {
        if (!o.condition)
            fail(QStringLiteral("Bedingung erwartet") + atPosition(o.pos));
    }

    static void requireValue(const Operand& o) {
        if (o.condition)
            fail(QStringLiteral("Vergleich als Operand") + atPosition(o.pos));
    }

    static void addCollation(Operand& o) {
        if (o.collateAt >= 0)
            o.sql.insert(o.collateAt, QStringLiteral(" COLLATE ") + QLatin1String(kCollation));
    }

    std::vector<Token> m_tokens;
    std::size_t m_next = 0;
    int m_depth = 0;
    const SchemaLookup& m_schema;
    QVariantList m_params;
    QStringList m_tables;
};

} // namespace

Translation translate(const QString& jetText, const SchemaLookup& schema) {
    return Parser(jetText, schema).run();
}

QString quoted(const QString& identifier) {
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace jet
