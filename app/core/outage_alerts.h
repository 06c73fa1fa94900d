#pragma once

#include "core/outage.h"
#include "core/preferences.h"
#include "platform/platform.h"

#include <QObject>

class History;

// Desktop notifications when a host stops answering and when it answers again, the second replacing the
// first; only while the user has them switched on.
class OutageAlerts final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OutageAlerts)

public:
    using Notifier = std::function<void(const platform::Notification&)>;

    OutageAlerts(const History& history, Preferences prefs, Notifier notify, QObject* parent = nullptr);

    // The notification for an outage that started (open) or ended.
    static platform::Notification notification(const Outage& o);

private:
    void show(const Outage& o);

    Preferences prefs_;
    Notifier notify_;
};
