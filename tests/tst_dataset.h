#pragma once

// The dataset on a test register: opening, navigation and typed reads, editing and write-back,
// re-reading, lookup fields and the item model. The cases are split over four files.
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/DatasetModel.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace datasettest {

// Lists and six register rows whose keys all match a list row, with ties in several sort keys
// ('A-100'/'a-100', equal purchase dates, equal types, partners equal but for case).
inline void fillRegister(const TestFolder& f) {
    f.sql(uR"(
INSERT INTO "Waffentyp" ("Index", "WTyp") VALUES (1, 'Büchse'), (2, 'Flinte'), (3, 'Revolver'), (4, 'Pistole');
INSERT INTO "Kaliber" ("Index", "Kaliber") VALUES (1, '.308 Win'), (2, '12/70'), (3, '9 mm Luger');
INSERT INTO "Hersteller" ("Index", "Hersteller") VALUES (1, 'Zeiss'), (2, 'Ärzte-Waffen'), (3, 'Blaser');
INSERT INTO "Kaufer" ("Index", "Name", "Geschlecht", "EWB", "EWBAmt", "KAmt") VALUES
    (2, 'Zürich Jagd', 2, 1, 1, 1), (3, 'Bär, Anna', 1, 2, 2, 2), (4, 'Äpfel, Otto', 2, 1, 1, 1),
    (5, 'ÄPFEL, OTTO', 2, 1, 1, 1), (6, 'Ofen GmbH', 1, 3, 3, 3);
INSERT INTO "Amt" ("Index", "Name") VALUES (2, 'Landratsamt Ölberg'), (3, 'Ordnungsamt Aachen');
INSERT INTO "Vorgang" ("Index", "KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer",
    "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum", "Notiz") VALUES
    (1, '2023-03-01', 2, 1, 2, 'A-100', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'erste'),
    (2, '2022-12-24', 1, 2, 1, 'b-200', 3, '2023-01-05', 4, 2, 'WBK 17', '2024-03-31', 2, 3, '2020-06-01',
        '2023-01-10', 'Zweite'),
    (3, '2023-03-01', 3, 1, 3, 'Ä-300', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, NULL),
    (4, '2021-07-15', 2, 3, 1, 'a-100', 5, '2021-08-01', 6, 3, 'JS 1', '2025-01-01', 3, 2, '2019-01-01', NULL,
        'äpfel'),
    (5, NULL, 4, 2, 2, 'Z-9', 6, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'Apfel'),
    (6, '2020-01-01', 1, 3, 3, 'ö-5', 4, '2020-02-02', 3, 2, 'WBK 3', NULL, 2, 2, '2018-05-05', '2020-02-10', 'Bär');
)"_s);
}

// Every row of a dataset as one line, in dataset order.
inline QStringList dump(const Dataset& ds) {
    QStringList rows;
    const int fields = int(ds.fieldNames().size());
    for (int r = 0; r < ds.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < fields; ++f) {
            const QVariant v = ds.valueAt(r, f);
            cells << (v.isNull() || !v.isValid() ? QStringLiteral("NULL") : v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Whether a fixture's folder holds the register of fillRegister or an empty one.
enum class Register { Filled, Empty };

// A test folder with its register, `moreSql` run on it afterwards, and a connection open on it.
struct StoreFixture {
    explicit StoreFixture(const QString& moreSql = QString(), Register rows = Register::Filled) {
        if (rows == Register::Filled)
            fillRegister(folder);
        if (!moreSql.isEmpty())
            folder.sql(moreSql);
        openConnection(conn);
    }

    TestFolder folder;
    Connection conn;
};

// The filled register, and the register dataset ASet_Vorgang open on `commandText`.
struct RegisterFixture : StoreFixture {
    explicit RegisterFixture(const QString& commandText = RegisterQuery::kWholeRegister,
                             const QString& moreSql = QString())
        : StoreFixture(moreSql) {
        reg.setCommandText(commandText);
        reg.open();
    }

    Dataset reg{conn, u"ASet_Vorgang"_s};
};

} // namespace datasettest
using namespace datasettest;

class TestDataset : public QObject {
    Q_OBJECT
private slots:
    void openByTableAndQuery();
    void transactionCommitsOrRollsBack();
    void sortQueries_data();
    void sortQueries();
    void navigation();
    void emptyDataset();
    void locate_data();
    void locate();
    void typedReads();
    void appendPostStoresIsoDates();
    void editPost();
    void failedReadBackEndsTheEdit();
    void cancel();
    void overlongTextRefused_data();
    void overlongTextRefused();
    void lookupFields();
    void lookupCutToDisplaySize();
    void clientSort();
    void refreshKeepsCurrentRow();
    void partialRefreshEqualsFullRead_data();
    void partialRefreshEqualsFullRead();
    void refreshAfterProgramWritesElsewhere();
    void refreshAfterForeignWrite();
    void optimisticConflict_data();
    void optimisticConflict();
    void disableControls();
    void closedDataset();
    void refusedQuery_data();
    void refusedQuery();
    void missingDeclaredColumn_data();
    void missingDeclaredColumn();
    void modelFollowsDataset();
};
