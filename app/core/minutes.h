#pragma once

#include "core/sample.h"

#include <QHash>
#include <QString>

// One host's pings of one minute.
struct MinuteRow {
    QString host;
    // The minute's first instant.
    Timestamp minute;
    int samples = 0;
    int lost = 0;
    // Round-trip times of the answered samples, in ms; 0 when none answered.
    double min = 0;
    double avg = 0;
    double max = 0;

    int answered() const { return samples - lost; }
    // Adds the samples of `other`, a row of the same host and minute.
    void merge(const MinuteRow& other);
};

// The first instant of the minute `t` falls in.
Timestamp minuteOf(Timestamp t);

// Sums the samples of each host per minute until the minute is over.
class Minutes {
public:
    void add(const QString& host, const Sample& s);
    // The rows of the minutes before the one `now` falls in, oldest first; they are no longer held.
    QList<MinuteRow> take(Timestamp now);
    // Every row held, the current minute's included.
    QList<MinuteRow> takeAll();

private:
    QHash<QString, QList<MinuteRow>> rows_;
};
