#pragma once

#include "core/clock.h"
#include "core/history.h"
#include "core/hotspot_usage.h"
#include "core/ping_queue.h"
#include "core/preferences.h"
#include "core/sample.h"
#include "core/stats.h"
#include "details/tailnet.h"
#include "platform/platform.h"

#include <QHash>
#include <QObject>
#include <QUuid>

class Advanced;
class QTimer;

// A change of the network's name, with what preceded it.
struct NetEvent {
    QUuid id;
    Timestamp time;
    QString label;
    QString detail;
};

// Reads the Tailscale status.
using TailnetProbe = std::function<void(QObject* context, std::function<void(std::optional<Tailnet>)> done)>;

// The one model of the program: the hosts and their ping history, the traffic rates, the network's name
// and its changes, and the Tailscale status, renewed by a refresh every tick.
class Monitor final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Monitor)

public:
    // What the monitor reads the world through; empty members take the system's.
    struct Deps {
        const Clock* clock = &Clock::system();
        std::unique_ptr<platform::Network> network;
        Pinger ping;
        TailnetProbe tailnet;
        Preferences prefs;
        HotspotUsage::Deps usage;
        History::Deps history;
        // Shows the outage notifications.
        std::function<void(const platform::Notification&)> notify = platform::notify;
        // Where the figures for a monitoring system go, for this run; otherwise the stored setting.
        std::optional<QString> metrics;
        // Hosts for this run only; nothing is stored.
        std::optional<QStringList> hosts;
    };

    Monitor();
    explicit Monitor(Deps deps, QObject* parent = nullptr);

    const QStringList& hosts() const { return hosts_; }
    // How the hosts are pinged, for the readout; empty when the caller gave the pinger.
    const QString& pingMethod() const { return pingMethod_; }
    const QMap<QString, QString>& labels() const { return labels_; }
    // Samples of the last five minutes per host, oldest first; removed hosts keep theirs.
    const QHash<QString, Samples>& history() const { return history_; }
    double down() const { return down_; }
    double up() const { return up_; }
    const QString& network() const { return network_; }
    // Newest first, at most five.
    const QList<NetEvent>& events() const { return events_; }
    Timestamp updated() const { return updated_; }
    double peakDown() const { return peakDown_; }
    double peakUp() const { return peakUp_; }
    const std::optional<Tailnet>& tailnet() const { return tailnet_; }
    Advanced& adv() const { return *adv_; }
    HotspotUsage& usage() const { return *usage_; }
    // Minutes and outages of the last days.
    History& longHistory() const { return *long_; }
    // The latest reading of the interfaces.
    const platform::Interfaces& interfaces() const { return interfaces_; }

    // Refreshes every tick from now on.
    void start();
    // One sampling cycle: rates, details, hotspot counting, widget snapshot, metrics, Tailscale, network name,
    // pings.
    void refresh();
    // Stores a new host list (the default hosts when empty) with its labels, then refreshes.
    void setHosts(const QStringList& hosts, const QMap<QString, QString>& labels);
    // The host's label, or the host itself.
    QString name(const QString& host) const;
    // Statistics of the host's samples of the last `seconds`.
    Stats stats(const QString& host, Seconds seconds) const;
    // The host's current round-trip time: that of the last cycle, absent when it went unanswered. A host waiting
    // its turn in a long list keeps its last one until then.
    std::optional<double> current(const QString& host) const;

    // Whether the advanced view is on screen; the details are collected only then.
    std::function<bool()> advancedActive = [] { return false; };
    // Called after every change the status item shows.
    std::function<void()> onUpdate;

signals:
    void changed();
    // A refresh cycle has ended.
    void refreshed();

private:
    struct Rate {
        Timestamp time;
        double down;
        double up;
    };
    struct Totals {
        quint64 in;
        quint64 out;
        Timestamp time;
    };

    void measure(const platform::Interfaces& now, Timestamp t);
    void writeSnapshot() const;
    void requestTailnet();
    void rename(const QString& network, Timestamp t);
    void record(const QString& host, std::optional<double> ms);
    void notify();

    const Clock& clock_;
    std::unique_ptr<platform::Network> net_;
    QString pingMethod_;
    PingQueue* pings_ = nullptr;
    TailnetProbe probe_;
    Preferences prefs_;

    QStringList hosts_;
    QMap<QString, QString> labels_;
    QHash<QString, Samples> history_;
    double down_ = 0;
    double up_ = 0;
    QString network_ = QStringLiteral("-");
    QList<NetEvent> events_;
    Timestamp updated_;
    double peakDown_ = 0;
    double peakUp_ = 0;
    std::optional<Tailnet> tailnet_;
    std::optional<Timestamp> tsAt_;
    bool tsBusy_ = false;
    Timestamp snapAt_;
    Advanced* adv_;
    HotspotUsage* usage_;
    History* long_;
    QString metrics_;
    std::optional<Timestamp> metricsAt_;
    platform::Interfaces interfaces_;
    QList<Rate> rates_;
    std::optional<Totals> lastBytes_;
    QTimer* timer_ = nullptr;
};
