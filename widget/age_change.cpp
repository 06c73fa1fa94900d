#include "widget/age_change.h"

#include "common/texts.h"

#include <cmath>

namespace {

constexpr qint64 horizon = 86400;

Timestamp at(Timestamp then, qint64 seconds) {
    return then + std::chrono::seconds(seconds);
}

} // namespace

Timestamp nextAgeChange(Timestamp then, Timestamp now) {
    // The age text steps on whole seconds after `then` and only ever moves forward: widen the step until the
    // text differs, then narrow down to the first second where it does.
    const QString shown = relativeAge(then, now);
    const qint64 start = qint64(std::floor(between(then, now).count()));
    qint64 same = start;
    qint64 differs = same + 1;
    qint64 step = 1;
    while (relativeAge(then, at(then, differs)) == shown) {
        if (differs - start > horizon)
            return at(then, differs);
        same = differs;
        step *= 2;
        differs = same + step;
    }
    while (differs - same > 1) {
        const qint64 mid = same + (differs - same) / 2;
        if (relativeAge(then, at(then, mid)) == shown)
            same = mid;
        else
            differs = mid;
    }
    return at(then, differs);
}
