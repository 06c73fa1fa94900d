#include "common/snapshot.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "core/network_name.h"
#include "details/advanced.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/temp_home.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Pings the test answers by hand.
struct Pings {
    struct Pending {
        QString host;
        std::function<void(std::optional<double>)> done;
    };
    QList<Pending> pending;

    Pinger pinger() {
        return [this](const QString& host, QObject*, std::function<void(std::optional<double>)> done) {
            pending.append({host, std::move(done)});
        };
    }
    QStringList hosts() const {
        QStringList list;
        for (const auto& p : pending)
            list.append(p.host);
        return list;
    }
    void answerAll(std::optional<double> ms) {
        const auto list = std::exchange(pending, {});
        for (const auto& p : list)
            p.done(ms);
    }
};

// Tailscale requests the test completes by hand.
struct Probes {
    QList<std::function<void(std::optional<Tailnet>)>> pending;
    int started = 0;

    TailnetProbe probe() {
        return [this](QObject*, std::function<void(std::optional<Tailnet>)> done) {
            ++started;
            pending.append(std::move(done));
        };
    }
    void finish(std::optional<Tailnet> t) { pending.takeFirst()(std::move(t)); }
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
    Pings pings;
    Probes probes;
    int prefsFiles = 0;

    std::unique_ptr<Monitor> make(std::optional<QStringList> hosts = QStringList{u"a"_s, u"b"_s},
                                  const QString& prefsFile = {}) {
        Monitor::Deps d;
        d.clock = &clock;
        d.network = std::make_unique<FakeNetwork>(net);
        d.ping = pings.pinger();
        d.tailnet = probes.probe();
        d.prefs = Preferences(prefsFile.isEmpty() ? home.config() + u"/prefs-%1.conf"_s.arg(++prefsFiles) : prefsFile);
        d.usage.clock = &clock;
        d.usage.file = home.data() + u"/usage-%1.json"_s.arg(prefsFiles);
        d.usage.notify = [](const platform::Notification&) {};
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
        pings = {};
        probes = {};
        QFile::remove(*Snapshot::url());
    }

    void firstRefresh() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        QCOMPARE(m->network(), u"-"_s);
        m->refresh();
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->up(), 0.0);
        QCOMPARE(m->network(), u"Ethernet 192.168.1.20"_s);
        QCOMPARE(m->events().size(), 1);
        QCOMPARE(m->events()[0].detail, u"start Tarnwick"_s);
        QCOMPARE(m->events()[0].label, u"Ethernet 192.168.1.20"_s);
        QCOMPARE(pings.hosts(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(probes.started, 1);
        QCOMPARE(updates, 1);
        QVERIFY(!QFile::exists(*Snapshot::url()));
    }

    void ratesFollowTheMeasuredCounters() {
        auto m = make();
        m->refresh();
        net->interfaces = wired(5000, 2000);
        step(*m);
        QCOMPARE(m->down(), 2000.0);
        QCOMPARE(m->up(), 500.0);
        // A drop (reset, or an interface leaving the sum) reads 0, never negative or huge.
        net->interfaces = wired(100, 3000);
        step(*m);
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->up(), 500.0);
        QCOMPARE(m->peakDown(), 2000.0);
        // Same instant: rates stay, the new totals become the baseline.
        net->interfaces = wired(9000, 9000);
        m->refresh();
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->up(), 500.0);
        net->interfaces = wired(11000, 9000);
        step(*m);
        QCOMPARE(m->down(), 1000.0);
        QCOMPARE(m->up(), 0.0);
    }

    void peaksCoverTheLastFiveMinutes() {
        auto m = make();
        m->refresh();
        net->interfaces = wired(1000 + 20000, 1000);
        step(*m);
        QCOMPARE(m->peakDown(), 10000.0);
        quint64 in = 21000;
        // The peak stays while its record is within 300 s, its own instant included.
        for (int i = 0; i < 150; ++i) {
            in += 200;
            net->interfaces = wired(in, 1000);
            step(*m);
        }
        QCOMPARE(m->peakDown(), 10000.0);
        net->interfaces = wired(in + 200, 1000);
        step(*m);
        QCOMPARE(m->peakDown(), 100.0);
        QCOMPARE(m->peakUp(), 0.0);
    }

    void onlyMeasuredInterfacesWithAnAddressCount() {
        auto m = make();
        platform::Interfaces i;
        i.bytes = {{u"wlan0"_s, {0, 0}}, {u"eth1"_s, {0, 0}},   {u"tun0"_s, {0, 0}},    {u"br0"_s, {0, 0}},
                   {u"lo"_s, {0, 0}},    {u"enp3s0"_s, {0, 0}}, {u"docker0"_s, {0, 0}}, {u"veth1"_s, {0, 0}}};
        i.ipv4 = {{u"wlan0"_s, u"10.0.0.2"_s}, {u"tun0"_s, u"10.8.0.2"_s},   {u"br0"_s, u"10.9.0.1"_s},
                  {u"lo"_s, u"127.0.0.1"_s},   {u"enp3s0"_s, u"10.1.0.2"_s}, {u"docker0"_s, u"172.17.0.1"_s},
                  {u"veth1"_s, u"10.2.0.1"_s}};
        net->interfaces = i;
        m->refresh();
        for (auto it = i.bytes.begin(); it != i.bytes.end(); ++it)
            it->in = 1'000'000;
        i.bytes[u"wlan0"_s].in = 2000;
        i.bytes[u"enp3s0"_s].in = 4000;
        net->interfaces = i;
        step(*m);
        // wlan0 and enp3s0 only; eth1 has no address.
        QCOMPARE(m->down(), 3000.0);
    }

    void noMeasuredInterfaceClearsTheBaseline() {
        auto m = make();
        m->refresh();
        net->interfaces = wired(3000, 1000);
        step(*m);
        QCOMPARE(m->down(), 1000.0);
        net->interfaces = platform::Interfaces{};
        step(*m);
        QCOMPARE(m->down(), 0.0);
        net->interfaces = wired(900000, 1000);
        step(*m);
        QCOMPARE(m->down(), 0.0); // only a new baseline
        net->interfaces = wired(902000, 1000);
        step(*m);
        QCOMPARE(m->down(), 1000.0);
    }

    void networkNames_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<bool>("wireless");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<QString>("name");
        QTest::newRow("hotspot") << u"172.20.10.7"_s << u"wlan0"_s << true << QString() << u"hotspot iPhone"_s;
        QTest::newRow("hotspot with its SSID")
            << u"172.20.10.7"_s << u"wlan0"_s << true << u"iPhone Ani"_s << u"hotspot iPhone (iPhone Ani)"_s;
        QTest::newRow("not a hotspot address")
            << u"172.20.10.20"_s << u"wlan0"_s << true << QString() << u"Wi-Fi 172.20.10.20"_s;
        QTest::newRow("Wi-Fi by name") << u"192.168.1.9"_s << u"wlan0"_s << true << u"Dom"_s << u"Wi-Fi Dom"_s;
        QTest::newRow("wired") << u"192.168.1.9"_s << u"wlan0"_s << false << QString() << u"Ethernet 192.168.1.9"_s;
        QTest::newRow("no address") << QString() << u"wlan0"_s << true << QString() << u"brak wlan0"_s;
        QTest::newRow("no interface") << QString() << QString() << false << QString() << u"brak sieci"_s;
    }
    void networkNames() {
        QFETCH(QString, address);
        QFETCH(QString, primary);
        QFETCH(bool, wireless);
        QFETCH(QString, ssid);
        QFETCH(QString, name);
        QMap<QString, QString> ipv4{{u"lo"_s, u"127.0.0.1"_s}};
        if (!address.isEmpty())
            ipv4.insert(u"wlan0"_s, address);
        const platform::Link link{primary, wireless, ssid.isEmpty() ? std::nullopt : std::optional(ssid)};
        QCOMPARE(networkName(ipv4, link), name);
    }

    void eventsLogChangesWithThePrecedingAverage() {
        auto m = make();
        m->refresh();
        pings.answerAll(22.0);
        step(*m);
        pings.answerAll(23.2); // first host's mean 22.6 → 23
        net->link.ssid = u"Kawiarnia"_s;
        net->link.wireless = true;
        step(*m);
        QCOMPARE(m->events().size(), 2);
        QCOMPARE(m->events()[0].label, u"Wi-Fi Kawiarnia"_s);
        QCOMPARE(m->events()[0].detail, u"przed zmiana sr. 23 ms"_s);
        QVERIFY(m->events()[0].id != m->events()[1].id);
        for (int i = 0; i < 4; ++i) {
            net->link.ssid = u"sieć %1"_s.arg(i);
            step(*m);
        }
        // Six changes so far: the first one is gone.
        QCOMPARE(m->events().size(), 5);
        QCOMPARE(m->events()[0].label, u"Wi-Fi sieć 3"_s);
        QCOMPARE(m->events()[4].label, u"Wi-Fi Kawiarnia"_s);
        // Same name again: nothing logged.
        step(*m);
        QCOMPARE(m->events()[0].label, u"Wi-Fi sieć 3"_s);
        QCOMPARE(m->events()[4].label, u"Wi-Fi Kawiarnia"_s);
    }

    void eventWithoutAnswersQuotesZero() {
        auto m = make(QStringList{});
        m->refresh();
        net->link.ssid = u"X"_s;
        step(*m);
        QCOMPARE(m->events()[0].detail, u"przed zmiana sr. 0 ms"_s);
    }

    void pingResultsBuildTheHistory() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        QSignalSpy changed(m.get(), &Monitor::changed);
        m->refresh();
        updates = 0;
        changed.clear();
        clock.advance(0.5s);
        pings.answerAll(12.0);
        QCOMPARE(updates, 2);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(m->updated(), clock.now());
        QCOMPARE(m->history().value(u"a"_s).size(), 1);
        QCOMPARE(m->history().value(u"a"_s)[0].time, clock.now());
        QCOMPARE(m->stats(u"a"_s, tick * 1.5).last, std::optional(12.0));
        step(*m);
        pings.answerAll(std::nullopt);
        QCOMPARE(m->stats(u"a"_s, statsSeconds).loss, 50.0);
        QVERIFY(!m->stats(u"a"_s, tick * 1.5).last);
        QCOMPARE(m->stats(u"never"_s, statsSeconds).count, 0);
    }

    void historyKeepsFiveMinutes() {
        auto m = make();
        for (int i = 0; i < 200; ++i) {
            step(*m);
            pings.answerAll(double(i));
        }
        const Samples a = m->history().value(u"a"_s);
        QCOMPARE(a.size(), 151); // 300 s at one sample per 2 s, both ends included
        QVERIFY(a.first().time >= ago(clock.now(), historySeconds));
        QCOMPARE(a.last().ms, std::optional(199.0));
    }

    void removedHostKeepsItsHistoryUnchanged() {
        auto m = make();
        m->refresh();
        pings.answerAll(5.0);
        m->setHosts({u"b"_s}, {});
        QCOMPARE(pings.hosts(), QStringList{u"b"_s});
        for (int i = 0; i < 200; ++i) {
            step(*m);
            pings.answerAll(1.0);
        }
        QCOMPARE(m->history().value(u"a"_s).size(), 1);
        QVERIFY(!pings.hosts().contains(u"a"_s));
    }

    void setHostsStoresAndFallsBackToDefaults() {
        const QString prefs = home.config() + u"/stored.conf"_s;
        auto m = make(std::nullopt, prefs);
        QCOMPARE(m->hosts(), defaultHosts());
        m->setHosts({u"x"_s, u"y"_s}, {{u"x"_s, u"Iks"_s}, {u"y"_s, QString()}});
        QCOMPARE(m->name(u"x"_s), u"Iks"_s);
        QCOMPARE(m->name(u"y"_s), u"y"_s);
        QCOMPARE(m->name(u"z"_s), u"z"_s);
        QCOMPARE(Preferences(prefs).hosts(), (QStringList{u"x"_s, u"y"_s}));
        QCOMPARE(Preferences(prefs).hostLabels().value(u"x"_s), u"Iks"_s);
        m->setHosts({}, {});
        QCOMPARE(m->hosts(), defaultHosts());
        QCOMPARE(Preferences(prefs).hosts(), defaultHosts());
        // A new monitor starts from what was stored.
        m.reset();
        pings = {};
        Preferences(prefs).setHosts({u"stored"_s});
        QCOMPARE(make(std::nullopt, prefs)->hosts(), QStringList{u"stored"_s});
    }

    void hostsForOneRunAreNotStored() {
        const QString prefs = home.config() + u"/override.conf"_s;
        Preferences(prefs).setHosts({u"stored"_s});
        auto m = make(QStringList{u"127.0.0.1"_s}, prefs);
        m->refresh();
        QCOMPARE(pings.hosts(), QStringList{u"127.0.0.1"_s});
        QCOMPARE(Preferences(prefs).hosts(), QStringList{u"stored"_s});
    }

    void snapshotAtMostEveryThirtySeconds() {
        auto m = make(QStringList{u"a"_s, u"b"_s, u"c"_s});
        m->onUpdate = [] {};
        m->refresh();
        pings.answerAll(std::nullopt);
        // 30 s after creation is not yet "more than 30 s".
        clock.advance(28s);
        m->refresh();
        clock.advance(2s);
        pings.pending[0].done(7.4);
        pings.pending[1].done(std::nullopt);
        pings.pending.clear();
        m->refresh();
        QVERIFY(!QFile::exists(*Snapshot::url()));
        probes.finish(tailnet(u"Running"_s, u"nl-exit"_s));
        clock.advance(0.5s);
        m->refresh();
        const auto s = Snapshot::read();
        QVERIFY(s.has_value());
        QCOMPARE(s->hosts.size(), 3);
        QCOMPARE(s->hosts[0].host, u"a"_s);
        QCOMPARE(s->hosts[0].ms, std::optional(7.4));
        QVERIFY(!s->hosts[1].ms);
        QCOMPARE(s->hosts[2].host, u"c"_s);
        QVERIFY(!s->hosts[2].ms);
        QCOMPARE(s->exit, std::optional(u"nl-exit"_s));
        QVERIFY(!s->hotspot);
        QVERIFY(qAbs(between(s->time, clock.now()).count()) < 0.001);
        // The next one comes only after another 30 s.
        QFile::remove(*Snapshot::url());
        clock.advance(30s);
        m->refresh();
        QVERIFY(!QFile::exists(*Snapshot::url()));
        clock.advance(0.1s);
        m->refresh();
        QVERIFY(QFile::exists(*Snapshot::url()));
    }

    void snapshotCarriesNoExitUnlessRunning() {
        auto m = make();
        m->refresh();
        probes.finish(tailnet(u"Stopped"_s, u"nl-exit"_s));
        step(*m, 31s);
        const auto s = Snapshot::read();
        QVERIFY(s.has_value());
        QVERIFY(!s->exit);
    }

    void snapshotCountsTheHotspot() {
        net->interfaces.bytes = {{u"enx0"_s, {0, 0}}};
        net->interfaces.ipv4 = {{u"enx0"_s, u"172.20.10.3"_s}};
        auto m = make();
        m->refresh();
        net->interfaces.bytes[u"enx0"_s] = {600, 400};
        step(*m, 31s);
        QCOMPARE(m->network(), u"hotspot iPhone"_s);
        const auto s = Snapshot::read();
        QVERIFY(s && s->hotspot);
        QCOMPARE(s->hotspotToday, 1000u);
    }

    void tailscaleAtMostEveryTenSecondsOneAtATime() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        m->refresh();
        QCOMPARE(probes.started, 1);
        step(*m, 12s);
        QCOMPARE(probes.started, 1); // still in flight
        updates = 0;
        probes.finish(tailnet(u"Running"_s, std::nullopt, u"firma"_s));
        QCOMPARE(updates, 1);
        QCOMPARE(m->tailnet()->tailnet, u"firma"_s);
        step(*m, 1s); // 13 s after the start of the first: due again
        QCOMPARE(probes.started, 2);
        probes.finish(std::nullopt);
        QVERIFY(!m->tailnet());
        step(*m, 10s);
        QCOMPARE(probes.started, 2); // exactly 10 s is not more than 10 s
        step(*m, 0.5s);
        QCOMPARE(probes.started, 3);
    }

    void detailsAreFedOnlyWhileShown() {
        auto m = make();
        bool shown = false;
        m->advancedActive = [&] { return shown; };
        m->refresh();
        net->interfaces = wired(3000, 1000);
        step(*m);
        QVERIFY(m->adv().ifaces().isEmpty());
        shown = true;
        step(*m);
        net->interfaces = wired(7000, 1000);
        step(*m);
        QCOMPARE(m->adv().ifaces().size(), 1);
        QCOMPARE(m->adv().ifaces()[0].name, u"eth0"_s);
        QCOMPARE(m->adv().ifaces()[0].down, 2000.0);
    }

    void timerRefreshesEveryTick() {
        auto m = make();
        QSignalSpy refreshed(m.get(), &Monitor::refreshed);
        m->start();
        QVERIFY(refreshed.wait(3000));
        QCOMPARE(net->reads, 1);
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
