#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantList>

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
    // First row of a query, read through a connection of its own: integers as qlonglong,
    // texts as QString, NULL as a null QVariant. Empty when the query returns no row.
    QVariantList row(const QString& query) const;
    // Every row of a query, each as row() gives it.
    QList<QVariantList> rows(const QString& query) const;
    // First column of that row.
    QVariant value(const QString& query) const;

private:
    QTemporaryDir m_dir;
};
