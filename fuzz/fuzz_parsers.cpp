// Throws random and mutated texts at the statement translator and the connection-string parser.
// Any input may be refused (DbError); anything else - a crash, another exception, a hang - is a
// fault. Usage: fuzz_parsers [count] [seed]
#include "common/ConnectionString.h"
#include "common/DbError.h"
#include "store/JetTranslator.h"

#include <QRandomGenerator>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

const QStringList kSeeds = {
    QStringLiteral("select * from Vorgang"),
    QStringLiteral("SELECT Vorgang.Index, Vorgang.SerienNr FROM Vorgang INNER JOIN Waffentyp ON "
                   "Vorgang.WTyp = Waffentyp.Index ORDER BY Waffentyp.WTyp DESC;"),
    QStringLiteral(
        "SELECT * FROM (Vorgang INNER JOIN Kaufer ON Vorgang.Kaufer = Kaufer.Index) WHERE "
        "((Kaufer.Name) Like \"M*\") AND ((Vorgang.KDatum)=#12/31/2003#) ORDER BY Vorgang.SerienNr"),
    QStringLiteral("SELECT * FROM Vorgang WHERE (((Vorgang.SerienNr) Like 'A''B%'))"),
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/a;b\"\"c/Waffenbuch.mdb\";Persist "
                   "Security Info=False;Jet OLEDB:Database Password=x"),
    QStringLiteral("#2/29/2000# #13/1/2000# #1/1/99999#"),
};
const QStringList kPieces = {
    QStringLiteral("("),        QStringLiteral(")"), QStringLiteral("\""), QStringLiteral("'"),
    QStringLiteral("#"),        QStringLiteral(";"), QStringLiteral("="),  QStringLiteral(" AND "),
    QStringLiteral(" Like "),   QStringLiteral("."), QStringLiteral("/"),  QStringLiteral(" INNER JOIN "),
    QStringLiteral(" ON "),     QStringLiteral("ä"), QString(QChar(0)),    QStringLiteral("\n"),
    QStringLiteral("1/1/2000"), QStringLiteral("*")};

QString randomText(QRandomGenerator& rng) {
    QString s;
    const int n = int(rng.bounded(64));
    for (int i = 0; i < n; ++i)
        s += rng.bounded(3) == 0 ? kPieces[int(rng.bounded(kPieces.size()))]
                                 : QString(QChar(char16_t(rng.bounded(1, 0x180))));
    return s;
}

QString mutated(QRandomGenerator& rng) {
    QString s = kSeeds[int(rng.bounded(kSeeds.size()))];
    const int edits = 1 + int(rng.bounded(6));
    for (int e = 0; e < edits && !s.isEmpty(); ++e) {
        const int at = int(rng.bounded(s.size()));
        switch (rng.bounded(4)) {
        case 0:
            s.remove(at, 1 + int(rng.bounded(8)));
            break;
        case 1:
            s.insert(at, kPieces[int(rng.bounded(kPieces.size()))]);
            break;
        case 2:
            s[at] = QChar(char16_t(rng.bounded(1, 0x180)));
            break;
        default:
            s.insert(at, s.mid(int(rng.bounded(s.size())), int(rng.bounded(20))));
            break;
        }
    }
    if (rng.bounded(200) == 0) // now and then, deep nesting
        s.insert(int(rng.bounded(s.size() + 1)), QString(int(rng.bounded(50000)), QLatin1Char('(')));
    return s;
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 2000;
    const quint32 seed = argc > 2 ? quint32(std::atol(argv[2])) : 1;
    QRandomGenerator rng(seed);
    long refused = 0, accepted = 0;
    for (long i = 0; i < count; ++i) {
        const QString text = rng.bounded(2) ? mutated(rng) : randomText(rng);
        try {
            jet::translate(text);
            ++accepted;
        } catch (const DbError&) {
            ++refused;
        }
        connstr::value(text, QStringLiteral("Data Source"));
        connstr::value(connstr::quoteValue(text), QStringLiteral("x"));
        if (connstr::value(QStringLiteral("x=") + connstr::quoteValue(text), QStringLiteral("x")) != text) {
            std::fprintf(stderr, "quoted value did not read back (input %ld)\n", i);
            return 1;
        }
    }
    std::printf("inputs: %ld, accepted: %ld, refused: %ld, crashes: 0\n", count, accepted, refused);
    return 0;
}
