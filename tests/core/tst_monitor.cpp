#include "common/snapshot.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "core/network_name.h"
#include "core/ping.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/rows.h"
#include "support/temp_home.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Pings and Tailscale requests the test answers by hand.
struct Pending {
    QList<std::pair<QString, std::function<void(std::optional<double>)>>> pings;
    QList<std::function<void(std::optional<Tailnet>)>> probes;

    QStringList hosts() const {
        QStringList list;
        for (const auto& p : pings)
            list.append(p.first);
        return list;
    }
    void answer(std::optional<double> ms) {
        for (const auto& p : std::exchange(pings, {}))
            p.second(ms);
    }
};

Tailnet tailnet(const QString& state, std::optional<QString> exit, const QString& name = {}) {
    Tailnet t;
    t.state = state;
    t.tailnet = name;
    t.exitName = std::move(exit);
    return t;
}

platform::Interfaces wired(quint64 in, quint64 out) {
    platform::Interfaces i;
    i.bytes = {{u"eth0"_s, {in, out}}, {u"lo"_s, {1, 1}}};
    i.ipv4 = {{u"eth0"_s, u"192.168.1.20"_s}, {u"lo"_s, u"127.0.0.1"_s}};
    return i;
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

    TempHome home;
    FakeClock clock;
    std::shared_ptr<NetworkState> net;
    Pending pending;
    int files = 0;

    std::unique_ptr<Monitor> make(std::optional<QStringList> hosts = QStringList{u"a"_s, u"b"_s},
                                  const QString& prefs = {}, std::optional<QString> metrics = std::nullopt) {
        Monitor::Deps d;
        d.clock = &clock;
        d.network = std::make_unique<FakeNetwork>(net);
        d.ping = [this](const QString& host, QObject*, auto done) { pending.pings.append({host, done}); };
        d.tailnet = [this](QObject*, auto done) { pending.probes.append(done); };
        d.prefs = Preferences(prefs.isEmpty() ? home.config() + u"/prefs-%1.conf"_s.arg(++files) : prefs);
        d.usage.file = home.data() + u"/usage-%1.json"_s.arg(files);
        d.usage.notify = [](const platform::Notification&) {};
        d.history.file.clear();
        d.notify = [](const platform::Notification&) {};
        d.metrics = std::move(metrics);
        d.hosts = std::move(hosts);
        return std::make_unique<Monitor>(std::move(d));
    }

    void step(Monitor& m, Seconds s = tick) {
        clock.advance(s);
        m.refresh();
    }

private slots:
    void init() {
        clock.set(FakeClock::at(2026, 3, 14, 12, 0, 0));
        net = std::make_shared<NetworkState>();
        net->interfaces = wired(1000, 1000);
        net->link = {u"eth0"_s, false, std::nullopt};
        pending = {};
        QFile::remove(*Snapshot::url());
    }

    void ratesAndPeaks() {
        auto m = make();
        m->refresh();
        net->interfaces = wired(21000, 2000);
        step(*m);
        // A drop (reset, or an interface leaving the sum) reads 0, never negative or huge.
        net->interfaces = wired(100, 3000);
        step(*m);
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->up(), 500.0);
        // The 10000 peak lasts while its record is within 300 s, its own instant included.
        for (int i = 0; i < 149; ++i)
            step(*m);
        QCOMPARE(m->peakDown(), 10000.0);
        step(*m);
        QCOMPARE(m->peakDown(), 0.0);
    }

    void onlyMeasuredInterfacesWithAnAddressCount() {
        auto m = make();
        platform::Interfaces i;
        for (const QString& name : {u"wlan0"_s, u"eth1"_s, u"tun0"_s, u"br0"_s, u"lo"_s, u"enp3s0"_s, u"veth1"_s})
            i.bytes[name] = {1'000'000, 0};
        for (const QString& name : {u"wlan0"_s, u"tun0"_s, u"br0"_s, u"lo"_s, u"enp3s0"_s, u"veth1"_s})
            i.ipv4[name] = u"10.0.0.2"_s;
        net->interfaces = i;
        m->refresh();
        for (auto& c : i.bytes)
            c.in += 8000;
        i.bytes[u"wlan0"_s].in -= 6000;
        net->interfaces = i;
        step(*m);
        QCOMPARE(m->down(), 5000.0); // wlan0 (+2000) and enp3s0 (+8000); eth1 has no address
    }

    void networkNames() {
        // The wlan0 address, the primary interface, whether it is wireless, and the name. Hotspot and Wi-Fi names
        // are shown by the view tests and the namespace test.
        const std::tuple<QString, QString, bool, QString> rows[] = {
            {u"172.20.10.16"_s, u"wlan0"_s, true, u"Wi-Fi 172.20.10.16"_s},
            {u"192.168.1.9"_s, u"wlan0"_s, false, u"Ethernet 192.168.1.9"_s},
            {{}, u"wlan0"_s, true, u"brak wlan0"_s},
            {{}, {}, false, u"brak sieci"_s},
        };
        for (const auto& [address, primary, wireless, name] : rows) {
            QMap<QString, QString> ipv4{{u"lo"_s, u"127.0.0.1"_s}};
            if (!address.isEmpty())
                ipv4.insert(u"wlan0"_s, address);
            ROW_COMPARE(name, networkName(ipv4, {primary, wireless, std::nullopt}), name);
        }
    }

    void eventsLogChangesWithThePrecedingAverage() {
        auto m = make();
        m->refresh();
        pending.answer(22.0);
        step(*m);
        pending.answer(23.2); // the first host's mean, 22.6, is quoted as 23
        net->link = {u"wlan0"_s, true, u"Kawiarnia"_s};
        step(*m);
        QCOMPARE(m->events()[0].label, u"Wi-Fi Kawiarnia"_s);
        QCOMPARE(m->events()[0].detail, u"przed zmiana sr. 23 ms"_s);
        step(*m); // same name: nothing logged
        QCOMPARE(m->events().size(), 2);
    }

    void pingsWaitTheirTurnBeyondTheLimit() {
        QStringList many;
        for (int i = 0; i < PingQueue::limit + 8; ++i)
            many.append(u"h%1"_s.arg(i));
        auto m = make(many);
        m->refresh();
        QCOMPARE(pending.hosts(), many.first(PingQueue::limit));
        // Hosts still waiting are not queued twice, and nothing starts while the limit is reached.
        step(*m);
        QCOMPARE(pending.hosts(), many.first(PingQueue::limit));
        // Each answer lets the next host in: first those left over, then the second round from the top.
        pending.answer(5.0);
        QCOMPARE(pending.hosts(), many.mid(PingQueue::limit) + many.first(PingQueue::limit - 8));
        QCOMPARE(m->stats(u"h0"_s, tick).last, std::optional(5.0));
        QVERIFY(m->history().value(many.last()).isEmpty());
        // Hosts no longer listed leave the queue.
        m->setHosts({u"h0"_s}, {});
        pending.answer(6.0);
        QCOMPARE(pending.hosts(), QStringList{u"h0"_s});
    }

    void hostsAndLabels() {
        const QString prefs = home.config() + u"/stored.conf"_s;
        auto m = make(std::nullopt, prefs);
        QCOMPARE(m->hosts(), defaultHosts());
        m->setHosts({u"x"_s, u"y"_s}, {{u"x"_s, u"Iks"_s}, {u"y"_s, QString()}});
        QCOMPARE(m->name(u"x"_s), u"Iks"_s);
        QCOMPARE(m->name(u"y"_s), u"y"_s);
        QCOMPARE(Preferences(prefs).hosts(), (QStringList{u"x"_s, u"y"_s}));
        QCOMPARE(Preferences(prefs).hostLabels().value(u"x"_s), u"Iks"_s);
        m->setHosts({}, {});
        QCOMPARE(m->hosts(), defaultHosts());
        QCOMPARE(Preferences(prefs).hosts(), defaultHosts());
    }

    void snapshotAtMostEveryThirtySeconds() {
        net->interfaces.bytes[u"enx0"_s] = {0, 0};
        net->interfaces.ipv4[u"enx0"_s] = u"172.20.10.3"_s;
        auto m = make(QStringList{u"a"_s, u"b"_s, u"c"_s});
        m->refresh();
        pending.answer(std::nullopt);
        step(*m, 28s);
        clock.advance(2s);
        pending.pings[0].second(7.4);
        pending.pings[1].second(std::nullopt);
        pending.pings.clear();
        net->interfaces.bytes[u"enx0"_s] = {600, 400};
        pending.probes.takeFirst()(tailnet(u"Running"_s, u"nl-exit"_s));
        step(*m, 0.5s);
        auto s = Snapshot::read();
        QVERIFY(s.has_value());
        // In order, also those that never answered.
        QCOMPARE(s->hosts, (QList<HostPing>{{u"a"_s, u"a"_s, 7.4}, {u"b"_s, u"b"_s, {}}, {u"c"_s, u"c"_s, {}}}));
        QCOMPARE(s->exit, std::optional(u"nl-exit"_s));
        QVERIFY(s->hotspot);
        QCOMPARE(s->hotspotToday, 1000u);
    }

    void metricsPassPromtool() {
        const QString file = home.data() + u"/textfile/tarnwick.prom"_s;
        auto m = make(QStringList{u"a"_s, u"b \"2\"\\"_s}, {}, file);
        m->refresh();
        QVERIFY(QFile::exists(file));
        for (const auto& [host, done] : std::exchange(pending.pings, {}))
            done(host == u"a"_s ? std::optional(12.5) : std::nullopt);
        QFile::remove(file);
        step(*m, 30.5s);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        // The second host has not answered: it is down.
        // {host="b \"2\"\\",name="b \"2\"\\"}: quotes and backslashes escaped
        const QString b = u"{host=\"b \\\"2\\\"\\\\\",name=\"b \\\"2\\\"\\\\\"}"_s;
        for (const QString& line :
             {u"tarnwick_host_up"_s + b + u" 0"_s, u"tarnwick_network_transmit_bytes_total{interface=\"eth0\"} 1000"_s})
            QVERIFY2(text.contains(line + u'\n'), qPrintable(line));
        const QString promtool = QStandardPaths::findExecutable(u"promtool"_s);
        if (promtool.isEmpty())
            QSKIP("promtool is not installed (scripts/setup installs it)");
        QProcess check;
        check.setStandardInputFile(file);
        check.start(promtool, {u"check"_s, u"metrics"_s});
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
