#pragma once

#include "common/timestamp.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The newest round-trip time of one configured host.
struct HostPing {
    QString host;
    QString name;
    std::optional<double> ms;

    bool operator==(const HostPing&) const = default;
};

// What the application last measured, written for the widget as "snapshot.json".
struct Snapshot {
    Timestamp time;
    double down = 0;
    double up = 0;
    QList<HostPing> hosts;
    std::optional<QString> exit;
    bool hotspot = false;
    quint64 hotspotToday = 0;

    // Location of the file; absent without a shared container.
    static std::optional<QString> url();

    // Compact JSON; absent optionals are left out.
    QByteArray encode() const;

    // The whole document or nothing: a missing required key or a wrong type rejects it.
    static std::optional<Snapshot> decode(const QByteArray& json);

    // Replaces the file atomically; failures leave the previous file as it was.
    void write() const;

    // Removes temporary files that writes killed half-way left beside the file.
    static void removeStaleTemporaries();

    // Reads and decodes the file.
    static std::optional<Snapshot> read();

    bool operator==(const Snapshot&) const = default;
};
