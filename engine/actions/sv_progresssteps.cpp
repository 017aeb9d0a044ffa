#include "sv_progresssteps.h"

#include <algorithm>

namespace SV_ProgressSteps {

int interval(const QString& intervalText) {
    bool ok = false;
    const int value = intervalText.toInt(&ok);
    return (ok && value > 0) ? value : defaultInterval;
}

int steps(int time, const QString& intervalText) {
    return std::max(0, time / interval(intervalText));
}

} // namespace SV_ProgressSteps
