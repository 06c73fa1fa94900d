#include "core/outage.h"

std::optional<Outage> OutageRule::add(const QString& host, const QString& label, const QString& network,
                                      const Sample& s) {
    if (s.ms) {
        streaks_.remove(host);
        const auto it = open_.find(host);
        if (it == open_.end())
            return std::nullopt;
        Outage ended = *it;
        open_.erase(it);
        ended.end = s.time;
        ended.open = false;
        return ended;
    }
    if (const auto it = open_.find(host); it != open_.end()) {
        ++it->lost;
        it->end = s.time;
        return std::nullopt;
    }
    if (settled_ && s.time < *settled_)
        return std::nullopt;
    Streak& streak = streaks_[host];
    if (streak.lost++ == 0) {
        streak.first = s.time;
        streak.network = network;
    }
    if (streak.lost < lossesInRow)
        return std::nullopt;
    const Outage started{host, label, streak.first, s.time, true, streak.lost, streak.network};
    streaks_.remove(host);
    open_.insert(host, started);
    return started;
}

void OutageRule::forgive(Timestamp t) {
    streaks_.clear();
    settled_ = t + std::chrono::duration_cast<Timestamp::duration>(settle);
}

QList<Outage> OutageRule::sleep() {
    QList<Outage> ended = open_.values();
    for (Outage& o : ended)
        o.open = false;
    open_.clear();
    streaks_.clear();
    return ended;
}

const Outage* OutageRule::current(const QString& host) const {
    const auto it = open_.constFind(host);
    return it == open_.cend() ? nullptr : &*it;
}

QList<Outage> OutageRule::open() const {
    return open_.values();
}
