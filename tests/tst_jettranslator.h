#pragma once

// The statement translator: sort orders and searches as the program builds them, literals,
// comparisons, layout, the kinds of the schema's columns, refused statements, and the translations
// run on SQLite. The cases are split over two files.
#include "store/JetTranslator.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"

#include <QHash>
#include <QTest>

using jet::ColumnKind;

Q_DECLARE_METATYPE(ColumnKind)

namespace jettranslatortest {

// The register column list the program puts in front of every sort order and search.
inline const QString kColumnList = schema::registerColumnList();

inline const QString kSqlColumns = QStringLiteral(
    R"x("Vorgang"."Index", "Vorgang"."KDatum", "Vorgang"."Waffentyp", "Vorgang"."Kaliber", )x"
    R"x("Vorgang"."Hersteller", "Vorgang"."SerienNr", "Vorgang"."Verkaufer", "Vorgang"."VDatum", )x"
    R"x("Vorgang"."Kaufer", "Vorgang"."EWB", "Vorgang"."EWBNR", "Vorgang"."JDatum", "Vorgang"."Amt", )x"
    R"x("Vorgang"."KauferAmt", "Vorgang"."AmtDatum", "Vorgang"."BriefDatum", "Vorgang"."Notiz")x");

inline const QString kSqlSelect = QStringLiteral("SELECT ") + kSqlColumns;

// The FROM parts of the seventeen sort orders, as the program builds them, in combo box order.
inline QStringList sortFromParts() {
    QStringList parts;
    for (int p = 0; p < int(RegisterQuery::sortNames().size()); ++p)
        parts << RegisterQuery::fromPart(p);
    return parts;
}

inline std::optional<ColumnKind> registerKind(const QString& table, const QString& column) {
    static const QHash<QString, ColumnKind> kinds = {
        {QStringLiteral("vorgang.kdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.vdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.jdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.amtdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.briefdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.seriennr"), ColumnKind::Text},
        {QStringLiteral("vorgang.ewbnr"), ColumnKind::Text},
        {QStringLiteral("vorgang.notiz"), ColumnKind::Text},
        {QStringLiteral("waffentyp.wtyp"), ColumnKind::Text},
        {QStringLiteral("kaliber.kaliber"), ColumnKind::Text},
        {QStringLiteral("hersteller.hersteller"), ColumnKind::Text},
        {QStringLiteral("kaufer.name"), ColumnKind::Text},
        {QStringLiteral("amt.name"), ColumnKind::Text},
        {QStringLiteral("ewb.ewb"), ColumnKind::Text},
    };
    static const QStringList tables = {QStringLiteral("vorgang"), QStringLiteral("waffentyp"),
                                       QStringLiteral("kaliber"), QStringLiteral("hersteller"),
                                       QStringLiteral("kaufer"),  QStringLiteral("amt"),
                                       QStringLiteral("ewb")};
    const QString key = (table + QLatin1Char('.') + column).toLower();
    if (kinds.contains(key))
        return kinds.value(key);
    if (tables.contains(table.toLower()))
        return ColumnKind::Integer;
    return std::nullopt;
}

inline jet::Translation translate(const QString& text) {
    return jet::translate(text, registerKind);
}

} // namespace jettranslatortest
using namespace jettranslatortest;

class TestJetTranslator : public QObject {
    Q_OBJECT

private slots:
    void identifierQuoting();
    void sortOrders_data();
    void sortOrders();
    void searchExamples_data();
    void searchExamples();
    void selectStar();
    void datasetStatements();
    void nestedJoins();
    void textLiterals_data();
    void textLiterals();
    void dateLiterals_data();
    void dateLiterals();
    void comparisons_data();
    void comparisons();
    void keywordsAndLayout();
    void orderKindFromSchema();
    void baseTableAndColumns_data();
    void baseTableAndColumns();
    void refused_data();
    void refused();
    void runsOnSqlite();
};
