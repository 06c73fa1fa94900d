#include "common/timestamp.h"

namespace {
// 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
constexpr std::chrono::seconds referenceDate{978307200};
} // namespace

Timestamp ago(Timestamp t, Seconds span) {
    return t - std::chrono::duration_cast<Timestamp::duration>(span);
}

Seconds between(Timestamp from, Timestamp to) {
    return std::chrono::duration_cast<Seconds>(to - from);
}

double referenceSeconds(Timestamp t) {
    return between(Timestamp{referenceDate}, t).count();
}

Timestamp fromReferenceSeconds(double seconds) {
    return Timestamp{referenceDate} + std::chrono::duration_cast<Timestamp::duration>(Seconds{seconds});
}

QDateTime localTime(Timestamp t) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}
