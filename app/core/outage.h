#pragma once

#include "core/sample.h"

#include <QHash>
#include <QString>

// A stretch in which a host did not answer: from the first of three or more lost samples in a row until the
// host's next answer.
struct Outage {
    QString host;
    QString label;
    Timestamp start;
    // The answer that ended it; while it lasts, the latest lost sample.
    Timestamp end;
    bool open = true;
    int lost = 0;
    // The network's name at the start.
    QString network;

    Seconds duration() const { return between(start, end); }
};

// Decides from each host's samples when an outage starts and ends. Losses right after a network change or a
// wake belong to the change, not to the host.
class OutageRule {
public:
    // Lost samples in a row that make an outage.
    static constexpr int lossesInRow = 3;
    // How long after a network change or a wake losses are not counted.
    static constexpr Seconds settle{10.0};

    // Takes one sample of `host`; returns the outage it started (open) or ended (closed).
    std::optional<Outage> add(const QString& host, const QString& label, const QString& network, const Sample& s);
    // The network changed or the machine woke at `t`: the losses counted so far start again.
    void forgive(Timestamp t);
    // The machine slept: the open outages end at their latest lost sample and are returned.
    QList<Outage> sleep();

    // The outage `host` is in now, if any.
    const Outage* current(const QString& host) const;
    // The outages that have not ended.
    QList<Outage> open() const;

private:
    struct Streak {
        int lost = 0;
        Timestamp first;
        QString network;
    };

    QHash<QString, Streak> streaks_;
    QHash<QString, Outage> open_;
    std::optional<Timestamp> settled_;
};
