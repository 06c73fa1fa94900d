#include "core/history.h"

#include "core/worker.h"

#include <algorithm>

namespace {

bool newerFirst(const Outage& a, const Outage& b) {
    return a.start > b.start;
}

bool sameOutage(const Outage& a, const Outage& b) {
    return a.host == b.host && a.start == b.start;
}

} // namespace

History::History(Deps deps, QObject* parent)
    : QObject(parent)
    , clock_(*deps.clock)
    , flushed_(minuteOf(clock_.now())) {
    if (deps.file.isEmpty()) {
        ready_ = true;
        return;
    }
    store_ = std::make_unique<HistoryStore>(std::move(deps.file), HistoryStore::Mode::Write);
    worker_ = std::make_unique<Worker>();
    const Timestamp since = ago(clock_.now(), day);
    worker_->post([this, store = store_.get(), since] {
        const HistoryStore::Loaded loaded = store->load(since);
        QMetaObject::invokeMethod(
            this, [this, loaded] { merge(loaded); }, Qt::QueuedConnection);
    });
}

History::~History() {
    flush(clock_.now(), true);
    if (!worker_)
        return;
    // The database connection is the worker thread's: it ends there.
    worker_->post([this] { store_.reset(); });
    worker_.reset();
}

void History::add(const QString& host, const QString& label, const QString& network, const Sample& s) {
    observe(s.time);
    minutes_.add(host, s);
    const std::optional<Outage> change = rule_.add(host, label, network, s);
    if (!change)
        return;
    if (change->open) {
        ++started_[host];
        emit outageStarted(*change);
    } else {
        closed(*change);
        emit outageEnded(*change);
    }
}

void History::refresh() {
    const Timestamp now = clock_.now();
    observe(now);
    if (minuteOf(now) == flushed_)
        return;
    flushed_ = minuteOf(now);
    flush(now, false);
}

void History::networkChanged() {
    rule_.forgive(clock_.now());
}

void History::woke() {
    const Timestamp now = clock_.now();
    observe(now);
    rule_.forgive(now);
}

void History::observe(Timestamp t) {
    if (seen_ && between(*seen_, t) > sleepGap) {
        // Samples missed while asleep are not losses, and an outage does not last through a sleep.
        for (const Outage& o : rule_.sleep())
            closed(o);
        rule_.forgive(t);
    }
    seen_ = t;
}

void History::closed(const Outage& o) {
    ended_.append(o);
    closed_.insert(std::lower_bound(closed_.begin(), closed_.end(), o, newerFirst), o);
}

QList<Outage> History::outages() const {
    QList<Outage> all = rule_.open();
    std::sort(all.begin(), all.end(), newerFirst);
    all.append(closed_);
    return all;
}

void History::flush(Timestamp now, bool everything) {
    const QList<MinuteRow> rows = everything ? minutes_.takeAll() : minutes_.take(now);
    keepDay(rows);
    const Timestamp dayAgo = ago(now, day);
    closed_.removeIf([dayAgo](const Outage& o) { return o.end < dayAgo; });
    QList<Outage> outages = std::exchange(ended_, {}) + rule_.open();
    if (everything) {
        for (Outage& o : outages)
            o.open = false;
    }
    if (!rows.isEmpty())
        emit changed();
    if (!store_ || (rows.isEmpty() && outages.isEmpty()))
        return;
    worker_->post(
        [store = store_.get(), rows, outages, prune = ago(now, keep)] { store->write(rows, outages, prune); });
}

void History::keepDay(const QList<MinuteRow>& rows) {
    for (const MinuteRow& r : rows) {
        QList<MinuteRow>& held = day_[r.host];
        if (!held.isEmpty() && held.last().minute == r.minute)
            held.last().merge(r);
        else
            held.append(r);
    }
    const Timestamp dayAgo = ago(clock_.now(), day);
    for (auto it = day_.begin(); it != day_.end();) {
        it->removeIf([dayAgo](const MinuteRow& r) { return r.minute < dayAgo; });
        it = it->isEmpty() ? day_.erase(it) : std::next(it);
    }
}

void History::merge(const HistoryStore::Loaded& loaded) {
    QHash<QString, QList<MinuteRow>> held = std::exchange(day_, {});
    QList<MinuteRow> rows = loaded.minutes;
    for (const QList<MinuteRow>& list : std::as_const(held))
        rows.append(list);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MinuteRow& a, const MinuteRow& b) { return a.minute < b.minute; });
    keepDay(rows);
    for (const Outage& o : loaded.outages) {
        if (std::none_of(closed_.cbegin(), closed_.cend(), [&](const Outage& c) { return sameOutage(c, o); }))
            closed_.insert(std::lower_bound(closed_.begin(), closed_.end(), o, newerFirst), o);
    }
    ready_ = true;
    emit changed();
}
