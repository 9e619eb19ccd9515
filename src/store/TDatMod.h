#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLockFile;

// What the data module needs of the register window: its status bar, its address panels and
// the settings it saves. The window implements it; tests may provide their own.
class RegisterWindowPort {
public:
    virtual ~RegisterWindowPort() = default;
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    virtual void ShowPartyPanels() = 0;
    virtual void UpdateStatusBar() = 0;
    virtual void SaveUserSettings() = 0;
};

// A report project file and a named data connection of the report engine.
struct ReportProject {
    QString projectFile;
};
struct ReportDataConnection {
    QString name;
    Dataset* dataset = nullptr;
};

// The data module: the one connection, a dataset per table, the register query dataset with
// its hooks, and the report projects.
class TDatMod : public QObject {
    Q_OBJECT
public:
    explicit TDatMod(QObject* parent = nullptr);
    ~TDatMod() override;

    void setPort(RegisterWindowPort* port) { m_port = port; }

    // Opens the connection and every dataset; the register as the whole table in database order.
    void Connect();
    // Saves the settings row (unless FirmDataMode is set) and closes everything.
    void Disconnect();
    // Closes the connection without saving the settings row (the way out when saving failed).
    void DisconnectWithoutSaving();
    void SortLookupTables();

    // From the first Connect on, keep a second copy of the program off the database.
    bool singleInstance = false;
    // Disconnects and writes the restore point Archiv/Waffenbuch.BAK; false when it failed.
    bool MakeRestorePoint();
    // Disconnects and replaces the database by the restore point (the replaced file is kept as
    // Archiv/Waffenbuch.vor-Wiederherstellung.BAK); false when refused or failed.
    bool RestoreFromRestorePoint();
    static QString restorePointPath();
    // Index of the current register row (0 when there is none), and the way back to it.
    int currentRegisterIndex() const;
    void ReturnToIndex(int index);
    bool isConnected() const { return ADOCon.isOpen(); }

    void ASet_VorgangAfterScroll();
    void ASet_VorgangAfterPost();

    // The whole set, in the order Connect opens them.
    QList<Dataset*> tableDatasets() const;

    Connection ADOCon;
    Dataset* ASet_Vorgang;
    Dataset* ATab_Kauf;
    Dataset* ATab_Typ;
    Dataset* ATab_Kaliber;
    Dataset* ATab_Hersteller;
    Dataset* ATab_Amt;
    Dataset* ATab_EWB;
    Dataset* ATab_Land;
    Dataset* ATab_Geschlecht;
    Dataset* ATab_User;

    ReportProject RvProjectBuch;
    ReportProject RvProject_Amt;
    ReportProject RvProject_Unterlagen;
    QList<ReportDataConnection> reportConnections;

    // Run the three reports through `reportRunner` (project file, report name), which the
    // program's GUI sets; nothing happens without it.
    void PrintWaffenbuch();
    void PrintAmt();
    void PrintUnterlagen();
    std::function<void(const QString& projectFile, const QString& reportName)> reportRunner;

private:
    // Empty when the lock is ours, otherwise the message naming its holder.
    QString takeLock();
    RegisterWindowPort* m_port = nullptr;
    std::unique_ptr<QLockFile> m_lock;
};

// Recounts the weapons in stock (rows of the register dataset whose buyer key is 1) without
// moving the current row.
void CountUnsold(TDatMod& datMod);
