#include "support/StoreHelpers.h"

#include "common/DbError.h"
#include "common/Konst.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Schema.h"

QString descrambled(const QString& scrambled) {
    QString out;
    Konst::DescramblePassword(scrambled, out);
    return out;
}

QString databasePassword() {
    return descrambled(Konst::scrambledDatabasePassword());
}

void openConnection(Connection& conn, const QString& connectionString) {
    conn.setConnectionString(connectionString);
    conn.open();
}

void openConnection(Connection& conn) {
    openConnection(conn, Konst::ConnectionString);
}

QString dbErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DbError& e) {
        return e.message().isEmpty() ? QStringLiteral("<empty message>") : e.message();
    }
    return QString();
}

QStringList column(const Dataset& ds, const QString& name) {
    QStringList values;
    const int f = ds.fieldIndex(name);
    for (int r = 0; r < ds.recordCount(); ++r)
        values << ds.textAt(r, f);
    return values;
}

QString searchStatement() {
    return schema::registerColumnList() +
           QStringLiteral(R"(FROM Vorgang WHERE ((Vorgang.SerienNr) Like "%A%");)");
}
