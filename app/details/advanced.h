#pragma once

#include "common/timestamp.h"
#include "platform/platform.h"

#include <QList>
#include <QObject>

class Clock;

// Traffic of one interface or process, in bytes per second.
struct Flow {
    QString name;
    double down = 0;
    double up = 0;

    bool operator==(const Flow&) const = default;
};

// Collects what the advanced view shows. It works only when fed, and it is fed only while that view is
// on screen.
class Advanced final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Advanced)

public:
    explicit Advanced(const Clock& clock, QObject* parent = nullptr);

    // Rates of every interface with an IPv4 address, loopback aside, by name.
    const QList<Flow>& ifaces() const { return ifaces_; }

    // Called by each refresh with that refresh's interface reading.
    void update(const platform::Interfaces& now);

signals:
    void changed();

private:
    void interfaceRates(const platform::Interfaces& now, Seconds dt);

    const Clock& clock_;
    QList<Flow> ifaces_;
    QMap<QString, platform::Counters> lastIf_;
    std::optional<Timestamp> lastIfTime_;
};
