#include "support/TestFolder.h"

#include "common/Konst.h"
#include "store/DatabaseFactory.h"

#include <QDir>
#include <QFile>

TestFolder::TestFolder() {
    Konst::reset();
    QDir dir(m_dir.path());
    dir.mkdir(QStringLiteral("Archiv"));
    dir.mkdir(QStringLiteral("Help"));
    QFile::copy(QStringLiteral(WB_SOURCE_DIR "/data/Help/Help.html"), file(QStringLiteral("Help/Help.html")));
    const QDir archiv(QStringLiteral(WB_SOURCE_DIR "/data/Archiv"));
    for (const QString& name : archiv.entryList(QDir::Files))
        QFile::copy(archiv.filePath(name), file(QStringLiteral("Archiv/") + name));
    DatabaseFactory::create(databasePath());
    Konst::AppDir = path();
    QString password;
    Konst::DescramblePassword(Konst::scrambledDatabasePassword(), password);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, password);
}

QString TestFolder::path() const {
    return QDir::toNativeSeparators(m_dir.path() + QLatin1Char('/'));
}

QString TestFolder::file(const QString& name) const {
    return m_dir.filePath(name);
}

void TestFolder::sql(const QString& statement) const {
    DatabaseFactory::execute(databasePath(), statement);
}
