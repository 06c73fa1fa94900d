#pragma once

#include "core/ping.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

// Runs at most a fixed number of pings at once, so that a long host list neither runs out of descriptors nor
// stalls the cycle that starts them. The other hosts wait in order, each at most once, and keep their last
// sample until their turn.
class PingQueue final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PingQueue)

public:
    static constexpr int limit = 32;

    PingQueue(Pinger ping, std::function<void(const QString& host, std::optional<double> ms)> result,
              QObject* parent = nullptr);

    // Queues every host of `hosts` not already waiting, forgets waiting hosts that are no longer listed, and
    // starts what the limit allows.
    void request(const QStringList& hosts);
    // Whether `host` waits for its turn or has a ping on its way.
    bool pending(const QString& host) const { return queued_.contains(host) || flying_.contains(host); }

private:
    void pump();

    Pinger ping_;
    std::function<void(const QString&, std::optional<double>)> result_;
    QStringList waiting_;
    QSet<QString> queued_;
    QHash<QString, int> flying_;
    int running_ = 0;
};
