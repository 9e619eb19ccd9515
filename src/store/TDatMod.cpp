#include "store/TDatMod.h"

#include "common/DbError.h"
#include "common/Konst.h"
#include "store/DbErrorText.h"
#include "store/RegisterQuery.h"
#include "store/RegisterRules.h"
#include "store/RestorePoint.h"

#include <QFileInfo>
#include <QLockFile>

TDatMod::TDatMod(QObject* parent) : QObject(parent), ADOCon(this) {
    setObjectName(QStringLiteral("DatMod"));
    auto make = [this](const QString& name, const QString& table) {
        auto* d = new Dataset(ADOCon, name, this);
        if (!table.isEmpty())
            d->setTableName(table);
        return d;
    };
    ASet_Vorgang = make(QStringLiteral("ASet_Vorgang"), QString());
    ASet_Vorgang->setDeclaredTable(QStringLiteral("Vorgang"));
    ASet_Vorgang->setCommandText(RegisterQuery::kWholeRegister);
    ASet_Vorgang->setInMemoryResort(true);
    ATab_Kauf = make(QStringLiteral("ATab_Kauf"), QStringLiteral("Kaufer"));
    ATab_Typ = make(QStringLiteral("ATab_Typ"), QStringLiteral("Waffentyp"));
    ATab_Kaliber = make(QStringLiteral("ATab_Kaliber"), QStringLiteral("Kaliber"));
    ATab_Hersteller = make(QStringLiteral("ATab_Hersteller"), QStringLiteral("Hersteller"));
    ATab_Amt = make(QStringLiteral("ATab_Amt"), QStringLiteral("Amt"));
    ATab_EWB = make(QStringLiteral("ATab_EWB"), QStringLiteral("EWB"));
    ATab_Land = make(QStringLiteral("ATab_Land"), QStringLiteral("Land"));
    ATab_Geschlecht = make(QStringLiteral("ATab_Geschlecht"), QStringLiteral("Geschlecht"));
    ATab_User = make(QStringLiteral("ATab_User"), QStringLiteral("Benutzer"));

    ASet_Vorgang->setLookupSource(QStringLiteral("Waffentyp"), ATab_Typ);
    ASet_Vorgang->setLookupSource(QStringLiteral("Kaliber"), ATab_Kaliber);
    ASet_Vorgang->setLookupSource(QStringLiteral("Hersteller"), ATab_Hersteller);
    ASet_Vorgang->setLookupSource(QStringLiteral("Kaufer"), ATab_Kauf);
    ASet_Vorgang->setLookupSource(QStringLiteral("EWB"), ATab_EWB);
    ASet_Vorgang->setLookupSource(QStringLiteral("Amt"), ATab_Amt);
    ATab_Kauf->setLookupSource(QStringLiteral("Geschlecht"), ATab_Geschlecht);
    ATab_Kauf->setLookupSource(QStringLiteral("EWB"), ATab_EWB);
    ATab_Kauf->setLookupSource(QStringLiteral("Amt"), ATab_Amt);

    connect(ASet_Vorgang, &Dataset::afterScroll, this, &TDatMod::ASet_VorgangAfterScroll);
    connect(ASet_Vorgang, &Dataset::afterPost, this, &TDatMod::ASet_VorgangAfterPost);

    reportConnections = {{QStringLiteral("RvDSetCon"), ASet_Vorgang},
                         {QStringLiteral("RvDataSet_Kauf"), ATab_Kauf},
                         {QStringLiteral("RvDataSet_Typ"), ATab_Typ},
                         {QStringLiteral("RvDataSet_Kaliber"), ATab_Kaliber},
                         {QStringLiteral("RvDataSet_Hersteller"), ATab_Hersteller},
                         {QStringLiteral("RvDataSet_Amt"), ATab_Amt},
                         {QStringLiteral("RvDataSet_EWB"), ATab_EWB},
                         {QStringLiteral("RvDataSet_User"), ATab_User}};
}

TDatMod::~TDatMod() {
    // Close without saving: the program saves through the close request, never on destruction.
    ADOCon.close();
}

QList<Dataset*> TDatMod::tableDatasets() const {
    return {ATab_Kauf, ATab_Typ, ATab_Kaliber, ATab_Amt, ATab_EWB, ATab_Hersteller, ATab_Land, ATab_User};
}

void TDatMod::Connect() {
    if (ADOCon.isOpen())
        Disconnect();
    ADOCon.setConnectionString(Konst::ConnectionString);
    if (singleInstance) {
        const QString held = takeLock();
        if (!held.isEmpty())
            throw DbError(held);
    }
    ADOCon.open();
    // Kaufer's lookups need their tables, so those open with it.
    ATab_Geschlecht->open();
    ATab_EWB->open();
    ATab_Amt->open();
    ATab_Kauf->open();
    for (Dataset* d : {ATab_Typ, ATab_Kaliber, ATab_Amt, ATab_EWB, ATab_Hersteller, ATab_Land, ATab_User})
        d->open();
    // The login password and every setting live in that row.
    if (ATab_User->recordCount() == 0)
        throw DbError(dberror::noSettingsRow(ADOCon.fileName()));
    ASet_Vorgang->close();
    ASet_Vorgang->setCommandText(RegisterQuery::kWholeRegister);
    ASet_Vorgang->open();
    RvProjectBuch.projectFile = Konst::appPath(QStringLiteral("Archiv\\Waffenbuch.rav"));
    RvProject_Amt.projectFile = Konst::appPath(QStringLiteral("Archiv\\Amt.rav"));
    RvProject_Unterlagen.projectFile = Konst::appPath(QStringLiteral("Archiv\\Unterlagen.rav"));
    if (m_port)
        m_port->setStatusPanelText(4, QStringLiteral("verbunden"));
}

void TDatMod::Disconnect() {
    if (!ADOCon.isOpen())
        return;
    if (!Konst::FirmDataMode && m_port)
        m_port->SaveUserSettings();
    ADOCon.close();
    if (m_port)
        m_port->setStatusPanelText(4, QStringLiteral("nicht verbunden"));
}

void TDatMod::DisconnectWithoutSaving() {
    if (!ADOCon.isOpen())
        return;
    ADOCon.close();
    if (m_port)
        m_port->setStatusPanelText(4, QStringLiteral("nicht verbunden"));
}

void TDatMod::SortLookupTables() {
    ATab_Kauf->setSort(QStringLiteral("Name ASC"));
    ATab_Typ->setSort(QStringLiteral("WTyp ASC"));
    ATab_Kaliber->setSort(QStringLiteral("Kaliber ASC"));
    ATab_Amt->setSort(QStringLiteral("Name ASC"));
    ATab_EWB->setSort(QStringLiteral("EWB ASC"));
    ATab_Hersteller->setSort(QStringLiteral("Hersteller ASC"));
    ATab_Land->setSort(QStringLiteral("Land ASC"));
}

void TDatMod::ASet_VorgangAfterScroll() {
    if (!m_port)
        return;
    m_port->ShowPartyPanels();
    m_port->UpdateStatusBar();
}

void TDatMod::ASet_VorgangAfterPost() {
    ASet_Vorgang->refreshKeepingCurrent();
    if (m_port)
        m_port->ShowPartyPanels();
    CountUnsold(*this);
    if (m_port)
        m_port->UpdateStatusBar();
}

void CountUnsold(TDatMod& datMod) {
    Konst::UnsoldCount = 0;
    Konst::UnsoldCount = RegisterRules::countUnsold(*datMod.ASet_Vorgang);
}

// ---------------------------------------------------------------- restore points

namespace {
QString databaseFile() {
    return Connection::connectionValue(Konst::ConnectionString, QStringLiteral("Data Source"));
}
QString databasePassword() {
    return Connection::connectionValue(Konst::ConnectionString,
                                       QStringLiteral("Jet OLEDB:Database Password"));
}
} // namespace

QString TDatMod::takeLock() {
    const QString path = InstanceLock::lockPath(QFileInfo(databaseFile()).absoluteFilePath());
    if (m_lock && m_lock->fileName() != path)
        m_lock.reset();
    if (!m_lock)
        m_lock = std::make_unique<QLockFile>(path);
    return InstanceLock::acquire(*m_lock);
}

QString TDatMod::restorePointPath() {
    return Konst::appPath(QStringLiteral("Archiv\\Waffenbuch.BAK"));
}

bool TDatMod::MakeRestorePoint() {
    Disconnect();
    if (!takeLock().isEmpty())
        return false;
    const bool ok = RestorePoint::make(databaseFile(), restorePointPath());
    if (!singleInstance)
        m_lock.reset();
    return ok;
}

bool TDatMod::RestoreFromRestorePoint() {
    Disconnect();
    if (!takeLock().isEmpty())
        return false;
    const bool ok = RestorePoint::restore(
        restorePointPath(), databaseFile(),
        Konst::appPath(QStringLiteral("Archiv\\Waffenbuch.vor-Wiederherstellung.BAK")), databasePassword());
    if (!singleInstance)
        m_lock.reset();
    return ok;
}

int TDatMod::currentRegisterIndex() const {
    if (!ASet_Vorgang->isActive() || ASet_Vorgang->isEmpty())
        return 0;
    return ASet_Vorgang->asInteger(QStringLiteral("Index"));
}

void TDatMod::ReturnToIndex(int index) {
    if (index != 0 && ASet_Vorgang->isActive())
        ASet_Vorgang->locate(QStringLiteral("Index"), index);
}

void TDatMod::PrintWaffenbuch() {
    if (reportRunner)
        reportRunner(RvProjectBuch.projectFile, QStringLiteral("ReportWaffenbuch"));
}

void TDatMod::PrintAmt() {
    if (reportRunner)
        reportRunner(RvProject_Amt.projectFile, QStringLiteral("ReportAmt"));
}

void TDatMod::PrintUnterlagen() {
    if (reportRunner)
        reportRunner(RvProject_Unterlagen.projectFile, QStringLiteral("ReportUnterlagen"));
}
