#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test: Waffenbuch.mdb built from data/, the Archiv and
// Help folders with their files. Sets Konst::AppDir and Konst::ConnectionString to it.
class TestFolder {
public:
    TestFolder();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const;                    // with a trailing separator
    QString file(const QString& name) const; // below the folder
    QString databasePath() const { return file(QStringLiteral("Waffenbuch.mdb")); }
    // Runs SQL directly on the database file (as another program would).
    void sql(const QString& statement) const;

private:
    QTemporaryDir m_dir;
};
