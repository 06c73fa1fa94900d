#pragma once

#include "core/clock.h"
#include "core/preferences.h"
#include "core/usage_state.h"
#include "platform/platform.h"

#include <QObject>

// Counts the traffic of a phone-hotspot connection per day, month and session, keeps the day and month
// totals in a file, and raises one notification a month when 80 % of the user's monthly limit is used.
class HotspotUsage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HotspotUsage)

public:
    using Notifier = std::function<void(const platform::Notification&)>;

    struct Deps {
        const Clock* clock = &Clock::system();
        QString file = defaultFile();
        Preferences prefs;
        Notifier notify = platform::notify;
    };

    HotspotUsage();
    explicit HotspotUsage(Deps deps, QObject* parent = nullptr);

    const UsageState& state() const { return state_; }
    // Bytes since the current tethering began.
    quint64 session() const { return session_; }
    // The machine is tethered now.
    bool active() const { return active_; }
    // The monthly limit in bytes; 0 is no limit.
    quint64 limit() const;
    // Stores the monthly limit in GB; views showing the share of it redraw at once.
    void setLimitGB(double gb);
    const QString& file() const { return file_; }

    // Counts what the tethering interface moved since the previous reading.
    void update(const platform::Interfaces& now);
    // Writes the totals to the file.
    void save();

    // "hotspot-usage.json" in the program's data folder.
    static QString defaultFile();

signals:
    void changed();

private:
    struct Last {
        QString iface;
        quint64 i = 0;
        quint64 o = 0;
    };

    void load();
    bool rollover();
    void add(quint64 bytes);

    const Clock& clock_;
    QString file_;
    Preferences prefs_;
    Notifier notify_;
    UsageState state_;
    quint64 session_ = 0;
    bool active_ = false;
    std::optional<Last> last_;
    int dirty_ = 0;
    // False when the file could not be read, or a damaged one could not be moved aside: it must not be
    // overwritten then.
    bool writable_ = true;
};
