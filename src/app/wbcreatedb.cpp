// Build tool: creates the delivered database where none exists yet.
#include "common/DbError.h"
#include "store/DatabaseFactory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool ifMissing = args.contains(QStringLiteral("--if-missing"));
    const QString path = args.size() > 1 ? args.last() : QString();
    if (path.isEmpty() || path.startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "usage: wbcreatedb [--if-missing] FILE\n");
        return 2;
    }
    if (ifMissing && QFileInfo::exists(path))
        return 0; // a dealer's data is never replaced
    try {
        DatabaseFactory::create(path);
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
