#include "printing/ReportWalkGuard.h"

#include "store/Dataset.h"

ReportWalkGuard::ReportWalkGuard(const QList<Dataset*>& datasets) {
    for (Dataset* d : datasets) {
        if (!d)
            continue;
        m_noted.append({d, d->isActive() ? d->recNo() : -1});
        d->disableControls();
    }
}

ReportWalkGuard::~ReportWalkGuard() {
    for (const Noted& n : m_noted) {
        if (n.dataset->isActive() && n.recNo > 0 && n.dataset->recNo() != n.recNo &&
            n.recNo <= n.dataset->recordCount())
            n.dataset->setRecNo(n.recNo);
        n.dataset->enableControls();
    }
}
