// Child of the crash test: stores entries one by one into the database named on the command line
// and prints the serial number of each after its post returned. It is killed at a random moment.
#include "common/ConnectionString.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "support/StoreHelpers.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const QString file = QString::fromLocal8Bit(argv[1]);
    Connection conn;
    openConnection(conn, QStringLiteral("Data Source=") + connstr::quoteValue(file) +
                             QStringLiteral(";Jet OLEDB:Database Password=") +
                             connstr::quoteValue(databasePassword()));
    Dataset typ(conn, QStringLiteral("ATab_Typ"));
    typ.setTableName(QStringLiteral("Waffentyp"));
    typ.open();
    for (int i = 0;; ++i) {
        const QString text =
            QStringLiteral("K%1-%2").arg(QString::fromLocal8Bit(argc > 2 ? argv[2] : "0")).arg(i);
        typ.append();
        typ.setValue(QStringLiteral("WTyp"), text);
        typ.post();
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
    }
}
