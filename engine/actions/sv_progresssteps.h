#ifndef SV_PROGRESSSTEPS_H
#define SV_PROGRESSSTEPS_H

#include <QString>

// Progress of the actions that take a "time" in milliseconds and report one step per
// "progress-interval" milliseconds (the process and pause actions).
namespace SV_ProgressSteps {

// The interval used when option "progress-interval" is not a positive number.
constexpr int defaultInterval = 1000;

// The progress interval in milliseconds given by the option's text: its value when that
// is a positive decimal number, otherwise defaultInterval.
int interval(const QString& intervalText);

// The number of steps of a run of `time` milliseconds: time divided by the interval
// (integer division), never below 0.
int steps(int time, const QString& intervalText);

} // namespace SV_ProgressSteps

#endif
