#include "core/monitor.h"

#include "common/snapshot.h"
#include "core/globals.h"
#include "core/metrics.h"
#include "core/network_name.h"
#include "core/outage_alerts.h"
#include "core/ping.h"
#include "details/advanced.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr Seconds snapshotEvery{30.0};
constexpr Seconds metricsEvery{30.0};
constexpr Seconds tailnetEvery{10.0};
constexpr qsizetype maxEvents = 5;

HotspotUsage::Deps usageDeps(Monitor::Deps& d) {
    HotspotUsage::Deps u = std::move(d.usage);
    u.clock = d.clock;
    u.prefs = d.prefs;
    return u;
}

History::Deps historyDeps(Monitor::Deps& d) {
    History::Deps h = std::move(d.history);
    h.clock = d.clock;
    return h;
}

} // namespace

Monitor::Monitor()
    : Monitor(Deps{}) {}

Monitor::Monitor(Deps d, QObject* parent)
    : QObject(parent)
    , clock_(*d.clock)
    , net_(d.network ? std::move(d.network) : platform::systemNetwork())
    , probe_(d.tailnet ? std::move(d.tailnet)
                       : TailnetProbe([](QObject* context, auto done) { tailnetStatus(context, std::move(done)); }))
    , prefs_(d.prefs)
    , hosts_(d.hosts ? *d.hosts : prefs_.hosts())
    , labels_(prefs_.hostLabels())
    , updated_(clock_.now())
    , snapAt_(updated_)
    , adv_(new Advanced(clock_, this))
    , usage_(new HotspotUsage(usageDeps(d), this))
    , long_(new History(historyDeps(d), this))
    , metrics_(d.metrics ? *d.metrics : prefs_.metricsFile()) {
    PingMethod method = d.ping ? PingMethod{{}, std::move(d.ping)} : systemPing();
    pingMethod_ = method.name;
    pings_ = new PingQueue(
        std::move(method.pinger), [this](const QString& host, std::optional<double> ms) { record(host, ms); }, this);
    new OutageAlerts(*long_, prefs_, std::move(d.notify), this);
    Snapshot::removeStaleTemporaries();
}

void Monitor::start() {
    if (timer_)
        return;
    timer_ = new QTimer(this);
    timer_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(tick));
    // Queued, so that a firing never runs inside another refresh.
    connect(timer_, &QTimer::timeout, this, &Monitor::refresh, Qt::QueuedConnection);
    timer_->start();
}

void Monitor::refresh() {
    const Timestamp now = clock_.now();
    long_->refresh();
    interfaces_ = net_->interfaces();
    measure(interfaces_, now);
    if (advancedActive && advancedActive())
        adv_->update(interfaces_);
    usage_->update(interfaces_);
    if (between(snapAt_, now) > snapshotEvery) {
        snapAt_ = now;
        writeSnapshot();
    }
    if (!metrics_.isEmpty() && (!metricsAt_ || between(*metricsAt_, now) >= metricsEvery)) {
        metricsAt_ = now;
        writeMetrics(metrics_, metricsText(*this));
    }
    if (!tsBusy_ && (!tsAt_ || between(*tsAt_, now) > tailnetEvery)) {
        tsAt_ = now;
        requestTailnet();
    }
    rename(networkName(interfaces_.ipv4, net_->link(interfaces_)), now);
    pings_->request(hosts_);
    emit changed();
    if (onUpdate)
        onUpdate();
    emit refreshed();
}

void Monitor::measure(const platform::Interfaces& now, Timestamp t) {
    quint64 in = 0;
    quint64 out = 0;
    bool measured = false;
    for (auto it = now.ipv4.cbegin(); it != now.ipv4.cend(); ++it) {
        if (!platform::isMeasured(it.key()))
            continue;
        measured = true;
        if (const auto b = now.bytes.constFind(it.key()); b != now.bytes.cend()) {
            in += b->in;
            out += b->out;
        }
    }
    if (!measured) {
        down_ = up_ = 0;
        lastBytes_.reset();
    } else {
        if (lastBytes_) {
            const double dt = between(lastBytes_->time, t).count();
            // A total that went down (a reset, an interface leaving the set) gives no rate for this cycle.
            if (dt > 0) {
                down_ = in < lastBytes_->in ? 0 : (in - lastBytes_->in) / dt;
                up_ = out < lastBytes_->out ? 0 : (out - lastBytes_->out) / dt;
            }
        }
        lastBytes_ = Totals{in, out, t};
    }

    rates_.append({t, down_, up_});
    const Timestamp cutoff = ago(t, historySeconds);
    rates_.removeIf([cutoff](const Rate& r) { return r.time < cutoff; });
    peakDown_ = peakUp_ = 0;
    for (const Rate& r : std::as_const(rates_)) {
        peakDown_ = std::max(peakDown_, r.down);
        peakUp_ = std::max(peakUp_, r.up);
    }
}

void Monitor::writeSnapshot() const {
    Snapshot s;
    s.time = clock_.now();
    s.down = down_;
    s.up = up_;
    for (const QString& host : hosts_)
        s.hosts.append({host, name(host), current(host)});
    if (tailnet_ && tailnet_->state == u"Running"_s)
        s.exit = tailnet_->exitName;
    s.hotspot = usage_->active();
    s.hotspotToday = usage_->state().dayBytes;
    s.write();
}

void Monitor::requestTailnet() {
    tsBusy_ = true;
    probe_(this, [this](std::optional<Tailnet> t) {
        tailnet_ = std::move(t);
        tsBusy_ = false;
        notify();
    });
}

void Monitor::rename(const QString& network, Timestamp t) {
    if (network == network_)
        return;
    QString detail = u"start Tarnwick"_s;
    if (network_ != u"-"_s) {
        const Stats before = stats(hosts_.value(0), statsSeconds);
        detail = u"przed zmiana sr. "_s + QString::number(std::llround(before.avg)) + u" ms"_s;
        long_->networkChanged();
    }
    events_.prepend({QUuid::createUuid(), t, network, detail});
    if (events_.size() > maxEvents)
        events_.resize(maxEvents);
    network_ = network;
}

void Monitor::record(const QString& host, std::optional<double> ms) {
    const Timestamp now = clock_.now();
    Samples& samples = history_[host];
    samples.append({now, ms});
    const Timestamp cutoff = ago(now, historySeconds);
    samples.removeIf([cutoff](const Sample& s) { return s.time < cutoff; });
    long_->add(host, name(host), network_, samples.last());
    updated_ = now;
    notify();
}

void Monitor::notify() {
    emit changed();
    if (onUpdate)
        onUpdate();
}

void Monitor::setHosts(const QStringList& hosts, const QMap<QString, QString>& labels) {
    hosts_ = hosts.isEmpty() ? defaultHosts() : hosts;
    labels_ = labels;
    prefs_.setHosts(hosts_);
    prefs_.setHostLabels(labels_);
    refresh();
}

QString Monitor::name(const QString& host) const {
    const QString label = labels_.value(host);
    return label.isEmpty() ? host : label;
}

std::optional<double> Monitor::current(const QString& host) const {
    return stats(host, pings_->pending(host) ? historySeconds : tick * 1.5).last;
}

Stats Monitor::stats(const QString& host, Seconds seconds) const {
    const auto samples = history_.constFind(host);
    if (samples == history_.cend())
        return {};
    return Stats(*samples, ago(clock_.now(), seconds));
}
