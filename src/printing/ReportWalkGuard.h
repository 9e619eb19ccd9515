#pragma once

#include <QList>

class Dataset;

// While a report reads the datasets: notes each one's current row and suspends its bound
// controls; on destruction puts each back on its row and resumes the controls.
class ReportWalkGuard {
public:
    explicit ReportWalkGuard(const QList<Dataset*>& datasets);
    ~ReportWalkGuard();
    ReportWalkGuard(const ReportWalkGuard&) = delete;
    ReportWalkGuard& operator=(const ReportWalkGuard&) = delete;

private:
    struct Noted {
        Dataset* dataset;
        int recNo;
    };
    QList<Noted> m_noted;
};
