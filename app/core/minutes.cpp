#include "core/minutes.h"

#include <algorithm>

using namespace std::chrono;

void MinuteRow::merge(const MinuteRow& other) {
    if (other.answered() > 0) {
        const int a = answered();
        min = a > 0 ? std::min(min, other.min) : other.min;
        max = std::max(max, other.max);
        avg = (avg * a + other.avg * other.answered()) / (a + other.answered());
    }
    samples += other.samples;
    lost += other.lost;
}

Timestamp minuteOf(Timestamp t) {
    return Timestamp(floor<minutes>(t.time_since_epoch()));
}

void Minutes::add(const QString& host, const Sample& s) {
    QList<MinuteRow>& rows = rows_[host];
    const Timestamp minute = minuteOf(s.time);
    // A clock set back puts a sample into a minute held already.
    auto row = std::find_if(rows.rbegin(), rows.rend(), [&](const MinuteRow& r) { return r.minute == minute; });
    MinuteRow one{host, minute, 1, s.ms ? 0 : 1, s.ms.value_or(0), s.ms.value_or(0), s.ms.value_or(0)};
    if (row == rows.rend())
        rows.append(one);
    else
        row->merge(one);
}

QList<MinuteRow> Minutes::take(Timestamp now) {
    const Timestamp current = minuteOf(now);
    QList<MinuteRow> done;
    for (auto it = rows_.begin(); it != rows_.end();) {
        QList<MinuteRow>& rows = it.value();
        const auto keep = std::stable_partition(rows.begin(), rows.end(),
                                                [current](const MinuteRow& r) { return r.minute < current; });
        done.append(QList<MinuteRow>(rows.begin(), keep));
        rows.erase(rows.begin(), keep);
        it = rows.isEmpty() ? rows_.erase(it) : std::next(it);
    }
    std::stable_sort(done.begin(), done.end(),
                     [](const MinuteRow& a, const MinuteRow& b) { return a.minute < b.minute; });
    return done;
}

QList<MinuteRow> Minutes::takeAll() {
    QList<MinuteRow> all;
    for (const QList<MinuteRow>& rows : std::as_const(rows_))
        all.append(rows);
    rows_.clear();
    std::stable_sort(all.begin(), all.end(),
                     [](const MinuteRow& a, const MinuteRow& b) { return a.minute < b.minute; });
    return all;
}
