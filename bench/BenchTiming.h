#pragma once

#include <functional>
#include <vector>

// Milliseconds one run of `run` takes.
double ms(const std::function<void()>& run);
// The middle value of `times` (the upper one of the two middles for an even count).
double median(std::vector<double> times);
// The process's peak resident memory (VmHWM) in MB; -1 where it cannot be read.
double peakMemoryMb();
// The highest of peakMemoryMb() over the whole run, across resets.
double overallPeakMemoryMb();
// Starts the peak over from the memory in use now (Linux; elsewhere nothing happens).
void resetPeakMemory();
