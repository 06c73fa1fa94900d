#pragma once

#include "core/clock.h"

#include <QDateTime>

// A clock that stands still until the test moves it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(Timestamp start = at(2026, 3, 14, 12, 0, 0))
        : now_(start) {}

    Timestamp now() const override { return now_; }
    void set(Timestamp t) { now_ = t; }
    void advance(Seconds s) { now_ += std::chrono::duration_cast<Timestamp::duration>(s); }

    // A local wall-clock time (the tests run with a fixed TZ).
    static Timestamp at(int y, int mo, int d, int h, int mi, double s) {
        const QDateTime t(QDate(y, mo, d), QTime(h, mi, int(s)));
        return Timestamp{std::chrono::milliseconds(t.toMSecsSinceEpoch())} +
               std::chrono::duration_cast<Timestamp::duration>(Seconds(s - int(s)));
    }

private:
    Timestamp now_;
};
