#include "core/ping_queue.h"

PingQueue::PingQueue(Pinger ping, std::function<void(const QString&, std::optional<double>)> result, QObject* parent)
    : QObject(parent)
    , ping_(std::move(ping))
    , result_(std::move(result)) {}

void PingQueue::request(const QStringList& hosts) {
    if (!waiting_.isEmpty()) {
        const QSet<QString> listed(hosts.cbegin(), hosts.cend());
        waiting_.removeIf([&](const QString& h) {
            if (listed.contains(h))
                return false;
            queued_.remove(h);
            return true;
        });
    }
    for (const QString& host : hosts) {
        if (!queued_.contains(host)) {
            queued_.insert(host);
            waiting_.append(host);
        }
    }
    pump();
}

void PingQueue::pump() {
    while (running_ < limit && !waiting_.isEmpty()) {
        const QString host = waiting_.takeFirst();
        queued_.remove(host);
        ++running_;
        ++flying_[host];
        ping_(host, this, [this, host](std::optional<double> ms) {
            --running_;
            if (--flying_[host] == 0)
                flying_.remove(host);
            result_(host, ms);
            pump();
        });
    }
}
