#include "scenarios.h"

#include "core/globals.h"

#include <QFile>
#include <QUuid>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

Monitor::Deps deps(const Clock& clock, std::shared_ptr<NetworkState> net, const Preferences& prefs,
                   const QString& usageFile, const QStringList& hosts) {
    Monitor::Deps d;
    d.clock = &clock;
    d.network = std::make_unique<FakeNetwork>(std::move(net));
    d.prefs = prefs;
    d.usage.file = usageFile;
    d.usage.notify = [](const platform::Notification&) {};
    d.history.file.clear();
    d.hosts = hosts;
    return d;
}

QStringList threeHosts() {
    return {u"127.0.0.1"_s, u"127.0.0.2"_s, u"127.0.0.3"_s};
}

QMap<QString, QString> threeLabels() {
    return {{u"127.0.0.1"_s, u"Router"_s}, {u"127.0.0.2"_s, u"DNS"_s}, {u"127.0.0.3"_s, u"Serwer"_s}};
}

// A calm, slightly wavy round-trip time around `base`.
double wave(int i, double base) {
    return base + base * 0.35 * std::sin(i * 0.45) + (i % 7) * 0.6;
}

} // namespace

Scenario::Scenario(const QStringList& hosts, const QMap<QString, QString>& labels,
                   const std::optional<UsageState>& usage, double limitGB)
    : net_(std::make_shared<NetworkState>())
    , prefs_(dir_.filePath(u"Tarnwick.conf"_s)) {
    prefs_.setHostLabels(labels);
    prefs_.setHotspotLimitGB(limitGB);
    const QString usageFile = dir_.filePath(u"hotspot-usage.json"_s);
    if (usage) {
        QFile f(usageFile);
        if (f.open(QIODevice::WriteOnly))
            f.write(usage->encode());
    }
    Monitor::Deps d = deps(clock_, net_, prefs_, usageFile, hosts);
    d.tailnet = [this](QObject*, auto done) { done(tailnet_); };
    d.ping = [this](const QString& host, QObject*, auto done) {
        const qsizetype i = m_->hosts().indexOf(host);
        done(replies_.value(i));
    };
    m_ = std::make_unique<Monitor>(std::move(d));
    ps_ = std::make_unique<PanelState>(prefs_);
}

void Scenario::step(const QList<std::optional<double>>& replies) {
    clock_.advance(tick);
    replies_ = replies;
    m_->refresh();
}

void Scenario::traffic(const QString& name, const QString& address, double down, double up) {
    platform::Counters& c = net_->interfaces.bytes[name];
    c.in += quint64(down * tick.count());
    c.out += quint64(up * tick.count());
    net_->interfaces.ipv4[name] = address;
}

Tailnet derpExit() {
    Tailnet t;
    t.state = u"Running"_s;
    t.tailnet = u"kowalski.ts.net"_s;
    t.host = u"laptop"_s;
    t.selfIPs = {u"100.101.102.103"_s};
    t.exitName = u"nl-exit"_s;
    t.exitIP = u"127.0.0.2"_s;
    t.exitRelay = u"ams"_s;
    t.exitPing = 38.4;
    return t;
}

namespace {

// A minute of pings to `hosts` (host i answering around its own level, the second one losing some) over
// four network changes that end on the phone's hotspot, with `exit` from the 40th step on.
std::unique_ptr<Scenario> busy(const QStringList& hosts, const QMap<QString, QString>& labels, const Tailnet& exit) {
    UsageState usage;
    usage.day = u"2026-03-14"_s;
    usage.dayBytes = 1'240'000'000;
    usage.month = u"2026-03"_s;
    usage.monthBytes = 8'500'000'000;
    usage.warned = usage.month;
    auto s = std::make_unique<Scenario>(hosts, labels, usage, 10.0);
    s->net().link.primary = u"wlan0"_s;
    s->net().link.wireless = true;
    const QStringList networks{u"Dom"_s, u"Biuro"_s, u"Pociąg"_s, u"Kawiarnia"_s};
    const QList<double> levels{3, 24, 70, 12, 40};
    for (int i = 0; i < 60; ++i) {
        // A network change every dozen steps, ending on the phone's hotspot.
        const qsizetype n = i / 12;
        s->net().link.ssid = networks.value(n, u"Ania"_s);
        const QString address = n < networks.size() ? u"192.168.1.20"_s : u"172.20.10.2"_s;
        s->traffic(u"wlan0"_s, address, 1'240'000 + 90'000 * std::sin(i * 0.3), 36'000 + 4000 * std::cos(i * 0.5));
        if (i == 40)
            s->setTailnet(exit);
        QList<std::optional<double>> replies;
        for (qsizetype h = 0; h < hosts.size(); ++h)
            replies.append(h == 1 && i % 13 == 5 ? std::nullopt : std::optional(wave(i, levels.value(h, 30))));
        s->step(replies);
    }
    s->traffic(u"wlan0"_s, u"172.20.10.2"_s, 1'180'000, 35'000);
    QList<std::optional<double>> last{2.7, std::nullopt, 250.0};
    for (qsizetype h = last.size(); h < hosts.size(); ++h)
        last.append(wave(60, levels.value(h, 30)));
    s->step(last);
    return s;
}

} // namespace

std::unique_ptr<Scenario> overviewScenario() {
    return busy(threeHosts(), threeLabels(), derpExit());
}

std::unique_ptr<Scenario> crowdedScenario() {
    return busy(threeHosts() + QStringList{u"127.0.10.4"_s, u"127.0.10.5"_s}, threeLabels(), derpExit());
}

std::unique_ptr<Scenario> longExitScenario() {
    Tailnet exit = derpExit();
    exit.exitName = u"se-sto-wg-001.mullvad-exit.net"_s;
    return busy(threeHosts(), threeLabels(), exit);
}

std::unique_ptr<Scenario> steadyScenario() {
    auto s = std::make_unique<Scenario>(QStringList{u"127.0.0.1"_s});
    s->net().link.primary = u"eth0"_s;
    for (int i = 0; i < 150; ++i) {
        s->traffic(u"eth0"_s, u"192.168.1.20"_s, 80'000, 9'000);
        s->step({1500.0});
    }
    s->prefs().setTab(u"127.0.0.1"_s);
    return s;
}

std::unique_ptr<Scenario> historyScenario() {
    auto s = std::make_unique<Scenario>(threeHosts(), threeLabels());
    s->net().link.primary = u"wlan0"_s;
    s->net().link.wireless = true;
    s->net().link.ssid = u"Dom"_s;
    for (int i = 0; i < 150; ++i) {
        s->traffic(u"wlan0"_s, u"192.168.1.20"_s, 2'400'000 + 300'000 * std::sin(i * 0.2), 120'000);
        const bool lost = i % 37 == 11 || i == 97 || i == 98;
        const double spike = i % 23 == 0 ? 45.0 : 0.0;
        s->step({lost ? std::nullopt : std::optional(wave(i, 18) + spike), wave(i, 24), wave(i, 70)});
    }
    s->prefs().setTab(u"127.0.0.1"_s);
    return s;
}

std::unique_ptr<Scenario> dayScenario() {
    auto s = std::make_unique<Scenario>(threeHosts(), threeLabels());
    s->net().link.primary = u"wlan0"_s;
    s->net().link.wireless = true;
    s->net().link.ssid = u"Dom"_s;
    History& h = s->m().longHistory();
    const QString router = threeHosts().constFirst();
    // Samples ten seconds apart, the widest spacing the history still takes for a machine awake.
    constexpr Seconds every{10.0};
    constexpr int perMinute = 6;
    for (int i = 0; i < 24 * 60 * perMinute; ++i) {
        s->clock().advance(every);
        const int minute = i / perMinute;
        // From 12:00: asleep 02:00 to 06:30, outages at 08:00 (14 lost) and 11:00 (5 lost).
        if (minute >= 840 && minute < 1110)
            continue;
        const int fromFirst = i - 1200 * perMinute;
        const int fromSecond = i - 1380 * perMinute;
        const bool lost = i % 1237 == 0 || (fromFirst >= 0 && fromFirst < 14) || (fromSecond >= 0 && fromSecond < 5);
        const double evening = minute >= 420 && minute < 600 ? 14.0 : 0.0;
        const double spike = i % 419 == 0 ? 55.0 : 0.0;
        const std::optional<double> ms = lost ? std::nullopt : std::optional(wave(i, 16) + evening + spike);
        h.add(router, u"Router"_s, u"Dom"_s, {s->clock().now(), ms});
        if (i % perMinute == perMinute - 1)
            h.refresh();
    }
    for (int i = 0; i < 150; ++i) {
        s->traffic(u"wlan0"_s, u"192.168.1.20"_s, 2'400'000 + 300'000 * std::sin(i * 0.2), 120'000);
        s->step({i % 37 == 11 ? std::nullopt : std::optional(wave(i, 18)), wave(i, 24), wave(i, 70)});
    }
    s->prefs().setTab(router);
    return s;
}

std::unique_ptr<Scenario> emptyScenario() {
    auto s = std::make_unique<Scenario>(QStringList());
    s->net().link.primary = u"eth0"_s;
    s->traffic(u"eth0"_s, u"192.168.1.20"_s, 0, 0);
    s->step({});
    s->traffic(u"eth0"_s, u"192.168.1.20"_s, 52'000, 8'000);
    s->step({});
    return s;
}
