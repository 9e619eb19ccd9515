#include "BenchTiming.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

double ms(const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

namespace {
double g_peakBeforeReset = -1; // the highest peak that a reset started over from
} // namespace

double peakMemoryMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

double overallPeakMemoryMb() {
    return std::max(g_peakBeforeReset, peakMemoryMb());
}

void resetPeakMemory() {
    g_peakBeforeReset = std::max(g_peakBeforeReset, peakMemoryMb());
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}
