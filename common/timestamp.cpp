#include "common/timestamp.h"

namespace {

// 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
constexpr std::chrono::seconds referenceDate{978307200};
// 2^32 s after it, early in 2137: far inside the clock's ±292 years of nanoseconds around 1970, so that no
// instant in the span, nor its difference to any other instant of the clock, overflows.
constexpr double referenceSpan = 4294967296.0;

} // namespace

Timestamp ago(Timestamp t, Seconds span) {
    return t - std::chrono::duration_cast<Timestamp::duration>(span);
}

Seconds between(Timestamp from, Timestamp to) {
    Timestamp::rep ticks = 0;
    // The clock's nanoseconds overflow in the difference of instants about three centuries apart; theirs in
    // floating point, a little less exact, does not.
    if (__builtin_sub_overflow(to.time_since_epoch().count(), from.time_since_epoch().count(), &ticks))
        return Seconds(to.time_since_epoch()) - Seconds(from.time_since_epoch());
    return std::chrono::duration_cast<Seconds>(Timestamp::duration(ticks));
}

bool isReferenceSeconds(double seconds) {
    return seconds >= 0 && seconds < referenceSpan;
}

double referenceSeconds(Timestamp t) {
    return between(Timestamp{referenceDate}, t).count();
}

Timestamp fromReferenceSeconds(double seconds) {
    const double bounded = isReferenceSeconds(seconds) ? seconds : seconds > 0 ? referenceSpan : 0.0;
    return Timestamp{referenceDate} + std::chrono::duration_cast<Timestamp::duration>(Seconds{bounded});
}

QDateTime localTime(Timestamp t) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}
