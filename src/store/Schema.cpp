#include "store/Schema.h"

#include <QHash>

namespace schema {

namespace {
using K = ColumnKind;

struct Tables {
    QHash<QString, QList<Column>> columns; // key: lower-case table name
    QHash<QString, QList<LookupField>> lookups;
};

QList<Column> benutzerColumns() {
    QList<Column> c = {{"Index", K::Integer}, {"Name", K::Text},        {"Passwort", K::Text},
                       {"Firma", K::Text},    {"Strasse", K::Text},     {"Ort", K::Text},
                       {"Oben", K::Integer},  {"Links", K::Integer},    {"Breit", K::Integer},
                       {"Hoch", K::Integer},  {"WinState", K::Boolean}, {"Sortierung", K::Integer},
                       {"SFilter", K::Text},  {"Aktuell", K::Integer}};
    for (int i = 1; i <= 16; ++i)
        c.append({QStringLiteral("TabHandel%1").arg(i, 2, 10, QLatin1Char('0')), K::Integer});
    for (int i = 1; i <= 12; ++i)
        c.append({QStringLiteral("TabKaufer%1").arg(i, 2, 10, QLatin1Char('0')), K::Integer});
    for (const char* n : {"TabWtyp", "TabKaliber", "TabHersteller", "TabAmt01", "TabAmt02", "TabAmt03",
                          "TabAmt04", "TabEWB", "TabLand", "Spul"})
        c.append({QString::fromLatin1(n), K::Integer});
    for (int i = 0; i <= 12; ++i)
        c.append({QStringLiteral("Farbe%1").arg(i, 2, 10, QLatin1Char('0')), K::Integer});
    for (const char* n : {"CheckDruckSort", "CheckSubTab", "CheckDataSave", "CheckTabChange", "CheckConnect",
                          "CheckProgEnde"})
        c.append({QString::fromLatin1(n), K::Boolean});
    c.append({"SpulSpeed", K::Integer});
    return c;
}

const Tables& tables() {
    static const Tables t = [] {
        Tables r;
        r.columns[QStringLiteral("vorgang")] = {
            {"Index", K::Integer},     {"KDatum", K::Date},        {"Waffentyp", K::Integer},
            {"Kaliber", K::Integer},   {"Hersteller", K::Integer}, {"SerienNr", K::Text},
            {"Verkaufer", K::Integer}, {"VDatum", K::Date},        {"Kaufer", K::Integer},
            {"EWB", K::Integer},       {"EWBNR", K::Text},         {"JDatum", K::Date},
            {"Amt", K::Integer},       {"KauferAmt", K::Integer},  {"AmtDatum", K::Date},
            {"BriefDatum", K::Date},   {"Notiz", K::Text}};
        r.columns[QStringLiteral("kaufer")] = {
            {"Index", K::Integer}, {"Name", K::Text},          {"Strasse", K::Text},   {"PLZ", K::Integer},
            {"Ort", K::Text},      {"Geschlecht", K::Integer}, {"EWB", K::Integer},    {"EWBNR", K::Text},
            {"EWBDatum", K::Date}, {"JDatum", K::Date},        {"EWBAmt", K::Integer}, {"KAmt", K::Integer}};
        r.columns[QStringLiteral("waffentyp")] = {{"Index", K::Integer}, {"WTyp", K::Text}};
        r.columns[QStringLiteral("kaliber")] = {{"Index", K::Integer}, {"Kaliber", K::Text}};
        r.columns[QStringLiteral("hersteller")] = {{"Index", K::Integer}, {"Hersteller", K::Text}};
        r.columns[QStringLiteral("amt")] = {{"Index", K::Integer},
                                            {"Name", K::Text},
                                            {"Strasse", K::Text},
                                            {"PLZ", K::Integer},
                                            {"Stadt", K::Text}};
        r.columns[QStringLiteral("ewb")] = {{"Index", K::Integer}, {"EWB", K::Text}};
        r.columns[QStringLiteral("land")] = {{"Land", K::Text}};
        r.columns[QStringLiteral("geschlecht")] = {
            {"Index", K::Integer}, {"Geschlecht", K::Text}, {"Anrede", K::Text}};
        r.columns[QStringLiteral("benutzer")] = benutzerColumns();

        r.lookups[QStringLiteral("vorgang")] = {
            {"ViewWaffentyp", "Waffentyp", "Waffentyp", "WTyp", 50},
            {"ViewKaliber", "Kaliber", "Kaliber", "Kaliber", 100},
            {"ViewHersteller", "Hersteller", "Hersteller", "Hersteller", 50},
            {"ViewVerkaufer", "Verkaufer", "Kaufer", "Name", 100},
            {"ViewKaufer", "Kaufer", "Kaufer", "Name", 100},
            {"ViewEWB", "EWB", "EWB", "EWB", 50},
            {"ViewAmt", "Amt", "Amt", "Name", 50},
            {"ViewKauferAmt", "KauferAmt", "Amt", "Name", 50}};
        r.lookups[QStringLiteral("kaufer")] = {
            {"ViewGeschlecht", "Geschlecht", "Geschlecht", "Geschlecht", 10},
            {"ViewAnrede", "Geschlecht", "Geschlecht", "Anrede", 20},
            {"ViewEWB", "EWB", "EWB", "EWB", 50},
            {"ViewEWBAmt", "EWBAmt", "Amt", "Name", 50},
            {"ViewKAmt", "KAmt", "Amt", "Name", 50}};
        return r;
    }();
    return t;
}
} // namespace

const QList<Column>& columns(const QString& table) {
    static const QList<Column> none;
    const auto& c = tables().columns;
    const auto it = c.constFind(table.toLower());
    return it == c.constEnd() ? none : *it;
}

bool hasDeclaredFields(const QString& table) {
    const QString t = table.toLower();
    return t == QLatin1String("vorgang") || t == QLatin1String("kaufer") || t == QLatin1String("benutzer");
}

const QList<LookupField>& lookups(const QString& table) {
    static const QList<LookupField> none;
    const auto& l = tables().lookups;
    const auto it = l.constFind(table.toLower());
    return it == l.constEnd() ? none : *it;
}

std::optional<ColumnKind> kindOf(const QString& table, const QString& column) {
    for (const Column& c : columns(table))
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.kind;
    return std::nullopt;
}

jet::SchemaLookup lookup() {
    return [](const QString& t, const QString& c) { return kindOf(t, c); };
}

QString registerColumnList() {
    return QStringLiteral(
        "SELECT Vorgang.Index, Vorgang.KDatum, Vorgang.Waffentyp, Vorgang.Kaliber, "
        "Vorgang.Hersteller, Vorgang.SerienNr, Vorgang.Verkaufer, Vorgang.VDatum, Vorgang.Kaufer, "
        "Vorgang.EWB, Vorgang.EWBNR, Vorgang.JDatum, Vorgang.Amt, Vorgang.KauferAmt, "
        "Vorgang.AmtDatum, Vorgang.BriefDatum, Vorgang.Notiz ");
}

} // namespace schema
