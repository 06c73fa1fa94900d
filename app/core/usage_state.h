#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Hotspot totals of the current day and month, kept across launches.
struct UsageState {
    QString day; // "yyyy-MM-dd" of the day `dayBytes` belongs to
    quint64 dayBytes = 0;
    QString month; // "yyyy-MM" of the month `monthBytes` belongs to
    quint64 monthBytes = 0;
    QString warned; // the month whose 80 % notification was issued

    QByteArray encode() const;
    // All five keys with their types, or nothing.
    static std::optional<UsageState> decode(const QByteArray& json);

    bool operator==(const UsageState&) const = default;
};
