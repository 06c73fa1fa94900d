#include "common/snapshot.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "core/network_name.h"
#include "core/ping.h"
#include "details/advanced.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/fake_tool.h"
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
    int probesStarted = 0;

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
    // Real pings instead of the pending ones, when set.
    Pinger pinger;
    int files = 0;

    std::unique_ptr<Monitor> make(std::optional<QStringList> hosts = QStringList{u"a"_s, u"b"_s},
                                  const QString& prefs = {}, std::optional<QString> metrics = std::nullopt) {
        Monitor::Deps d;
        d.clock = &clock;
        d.network = std::make_unique<FakeNetwork>(net);
        d.ping = pinger ? pinger : [this](const QString& host, QObject*, auto done) {
            pending.pings.append({host, done});
        };
        d.tailnet = [this](QObject*, auto done) {
            ++pending.probesStarted;
            pending.probes.append(done);
        };
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
        pinger = nullptr;
        QFile::remove(*Snapshot::url());
    }

    // The first refresh comes from the timer a tick after the start.
    void firstRefresh() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        QSignalSpy refreshed(m.get(), &Monitor::refreshed);
        m->start();
        QVERIFY(refreshed.wait(3000));
        QCOMPARE(net->reads, 1);
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->network(), u"Ethernet 192.168.1.20"_s);
        QCOMPARE(m->events().size(), 1);
        QCOMPARE(m->events()[0].detail, u"start Tarnwick"_s);
        QCOMPARE(pending.hosts(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(pending.probesStarted, 1);
        QCOMPARE(updates, 1);
        QVERIFY(!QFile::exists(*Snapshot::url()));
    }

    void ratesAndPeaks() {
        auto m = make();
        m->refresh();
        net->interfaces = wired(21000, 2000);
        step(*m);
        QCOMPARE(m->down(), 10000.0);
        QCOMPARE(m->up(), 500.0);
        // A drop (reset, or an interface leaving the sum) reads 0, never negative or huge.
        net->interfaces = wired(100, 3000);
        step(*m);
        QCOMPARE(m->down(), 0.0);
        QCOMPARE(m->up(), 500.0);
        // Same instant: rates stay, the new totals become the baseline.
        net->interfaces = wired(9000, 9000);
        m->refresh();
        QCOMPARE(m->up(), 500.0);
        net->interfaces = wired(9200, 9000);
        step(*m);
        QCOMPARE(m->down(), 100.0);
        // The 10000 peak lasts while its record is within 300 s, its own instant included.
        for (int i = 0; i < 148; ++i)
            step(*m);
        QCOMPARE(m->peakDown(), 10000.0);
        step(*m);
        QCOMPARE(m->peakDown(), 100.0);
        QCOMPARE(m->peakUp(), 500.0);
        step(*m);
        QCOMPARE(m->peakUp(), 0.0);
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
        // Without any measured interface the baseline goes: the next reading only sets a new one.
        net->interfaces = platform::Interfaces{};
        step(*m);
        QCOMPARE(m->down(), 0.0);
        net->interfaces = wired(900000, 1000);
        step(*m);
        QCOMPARE(m->down(), 0.0);
        net->interfaces = wired(902000, 1000);
        step(*m);
        QCOMPARE(m->down(), 1000.0);
    }

    void networkNames() {
        // The wlan0 address, the primary interface, whether it is wireless, its SSID, and the name.
        const std::tuple<QString, QString, bool, QString, QString> rows[] = {
            {u"172.20.10.15"_s, u"wlan0"_s, true, {}, u"hotspot iPhone"_s},
            {u"172.20.10.2"_s, u"wlan0"_s, true, u"iPhone Ani"_s, u"hotspot iPhone (iPhone Ani)"_s},
            {u"172.20.10.16"_s, u"wlan0"_s, true, {}, u"Wi-Fi 172.20.10.16"_s},
            {u"172.20.100.2"_s, u"wlan0"_s, true, {}, u"Wi-Fi 172.20.100.2"_s},
            {u"192.168.1.9"_s, u"wlan0"_s, true, u"Dom"_s, u"Wi-Fi Dom"_s},
            {u"192.168.1.9"_s, u"wlan0"_s, false, {}, u"Ethernet 192.168.1.9"_s},
            {{}, u"wlan0"_s, true, {}, u"brak wlan0"_s},
            {{}, {}, false, {}, u"brak sieci"_s},
        };
        for (const auto& [address, primary, wireless, ssid, name] : rows) {
            QMap<QString, QString> ipv4{{u"lo"_s, u"127.0.0.1"_s}};
            if (!address.isEmpty())
                ipv4.insert(u"wlan0"_s, address);
            const std::optional<QString> named = ssid.isEmpty() ? std::nullopt : std::optional(ssid);
            ROW_COMPARE(name, networkName(ipv4, {primary, wireless, named}), name);
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
        for (int i = 0; i < 4; ++i) {
            net->link.ssid = u"sieć %1"_s.arg(i);
            step(*m);
        }
        step(*m); // same name: nothing logged
        QCOMPARE(m->events().size(), 5);
        QCOMPARE(m->events()[0].label, u"Wi-Fi sieć 3"_s);
        QCOMPARE(m->events()[4].label, u"Wi-Fi Kawiarnia"_s);
        // No host, or no answer in the window: the quoted mean is 0.
        auto empty = make(QStringList{});
        empty->refresh();
        net->link.ssid = u"X"_s;
        step(*empty);
        QCOMPARE(empty->events()[0].detail, u"przed zmiana sr. 0 ms"_s);
    }

    void pingsBuildAFiveMinuteHistory() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        m->refresh();
        updates = 0;
        clock.advance(0.5s);
        pending.answer(12.0);
        QCOMPARE(updates, 2);
        QCOMPARE(m->updated(), clock.now());
        QCOMPARE(m->stats(u"a"_s, tick * 1.5).last, std::optional(12.0));
        step(*m);
        pending.answer(std::nullopt);
        QCOMPARE(m->stats(u"a"_s, statsSeconds).loss, 50.0);
        QVERIFY(!m->stats(u"a"_s, tick * 1.5).last);
        // A removed host keeps its samples; they are neither extended nor trimmed.
        m->setHosts({u"b"_s}, {});
        for (int i = 0; i < 200; ++i) {
            step(*m);
            pending.answer(double(i));
        }
        QCOMPARE(m->history().value(u"a"_s).size(), 2);
        const Samples b = m->history().value(u"b"_s);
        QCOMPARE(b.size(), 151); // 300 s at one sample per 2 s, both ends included
        QVERIFY(b.first().time >= ago(clock.now(), historySeconds));
        QCOMPARE(b.last().ms, std::optional(199.0));
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
        // A host waiting for its next turn keeps its last answer, however long the wait.
        step(*m, tick * 3);
        QCOMPARE(m->current(u"h0"_s), std::optional(5.0));
        // Hosts no longer listed leave the queue.
        m->setHosts({u"h0"_s}, {});
        pending.answer(6.0);
        QCOMPARE(pending.hosts(), QStringList{u"h0"_s});
    }

    void realPingsKeepDescriptorsBounded() {
        FakeTools tools;
        const platform::Tool tool{tools.script(u"slow-ping"_s, u"sleep 0.2; echo time=1.0 ms"_s), {}, {}};
        QStringList many;
        for (int i = 0; i < 10 * PingQueue::limit; ++i)
            many.append(u"10.0.%1.%2"_s.arg(i / 250).arg(i % 250 + 1));
        pinger = [tool](const QString& host, QObject* context, auto done) { ping(host, context, done, tool); };
        const auto m = make(many);
        // Pipes show as dangling links, which only the System filter lists.
        const auto fds = [] {
            return qsizetype(
                QDir(u"/proc/self/fd"_s, {}, QDir::NoSort, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                    .count());
        };
        const qsizetype before = fds();
        qsizetype most = before;
        m->refresh();
        const auto answered = [&] {
            most = std::max(most, fds());
            return std::ranges::all_of(many, [&](const QString& h) { return !m->history().value(h).isEmpty(); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(answered(), 60000);
        QVERIFY2(most - before <= 4 * PingQueue::limit, qPrintable(QString::number(most - before)));
        QCOMPARE(m->history().value(many.last()).last().ms, std::optional(1.0));
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
        // Hosts given for one run are used and never stored.
        Preferences(prefs).setHosts({u"stored"_s});
        QCOMPARE(make(std::nullopt, prefs)->hosts(), QStringList{u"stored"_s});
        pending = {};
        make(QStringList{u"127.0.0.1"_s}, prefs)->refresh();
        QCOMPARE(pending.hosts(), QStringList{u"127.0.0.1"_s});
        QCOMPARE(Preferences(prefs).hosts(), QStringList{u"stored"_s});
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
        m->refresh(); // exactly 30 s after creation: not yet
        QVERIFY(!QFile::exists(*Snapshot::url()));
        pending.probes.takeFirst()(tailnet(u"Running"_s, u"nl-exit"_s));
        step(*m, 0.5s);
        auto s = Snapshot::read();
        QVERIFY(s.has_value());
        QVERIFY(qAbs(between(s->time, clock.now()).count()) < 0.001);
        // In order, also those that never answered.
        QCOMPARE(s->hosts, (QList<HostPing>{{u"a"_s, u"a"_s, 7.4}, {u"b"_s, u"b"_s, {}}, {u"c"_s, u"c"_s, {}}}));
        QCOMPARE(s->exit, std::optional(u"nl-exit"_s));
        QVERIFY(s->hotspot);
        QCOMPARE(s->hotspotToday, 1000u);
        // The next one only after another 30 s; a stopped Tailscale names no exit.
        pending.probes.takeFirst()(tailnet(u"Stopped"_s, u"nl-exit"_s));
        QFile::remove(*Snapshot::url());
        step(*m, 30s);
        QVERIFY(!QFile::exists(*Snapshot::url()));
        step(*m, 0.1s);
        s = Snapshot::read();
        QVERIFY(s && !s->exit);
    }

    void metricsEveryThirtySecondsPassPromtool() {
        const QString file = home.data() + u"/textfile/tarnwick.prom"_s;
        auto m = make(QStringList{u"a"_s, u"b \"2\"\\"_s}, {}, file);
        m->refresh();
        QVERIFY(QFile::exists(file));
        const auto answer = [&] {
            for (const auto& [host, done] : std::exchange(pending.pings, {}))
                done(host == u"a"_s ? std::optional(12.5) : std::nullopt);
        };
        for (int i = 0; i < 14; ++i) {
            answer();
            QFile::remove(file);
            step(*m);
        }
        QVERIFY(!QFile::exists(file));
        answer();
        step(*m);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        // The second host has not answered once: one outage, and it is down.
        // {host="b \"2\"\\",name="b \"2\"\\"}: quotes and backslashes escaped
        const QString b = u"{host=\"b \\\"2\\\"\\\\\",name=\"b \\\"2\\\"\\\\\"}"_s;
        for (const QString& line : {u"tarnwick_host_up{host=\"a\",name=\"a\"} 1"_s, u"tarnwick_host_up"_s + b + u" 0"_s,
                                    u"tarnwick_host_outages_total"_s + b + u" 1"_s,
                                    u"tarnwick_ping_rtt_seconds{host=\"a\",name=\"a\"} 0.0125"_s,
                                    u"tarnwick_network_receive_bytes_total{interface=\"eth0\"} 1000"_s,
                                    u"tarnwick_network_transmit_bytes_total{interface=\"eth0\"} 1000"_s})
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

    void tailscaleAtMostEveryTenSecondsOneAtATime() {
        auto m = make();
        int updates = 0;
        m->onUpdate = [&] { ++updates; };
        m->refresh();
        step(*m, 12s);
        QCOMPARE(pending.probesStarted, 1); // still in flight
        updates = 0;
        pending.probes.takeFirst()(tailnet(u"Running"_s, std::nullopt, u"firma"_s));
        QCOMPARE(updates, 1);
        QCOMPARE(m->tailnet()->tailnet, u"firma"_s);
        step(*m, 1s); // 13 s after the first started
        QCOMPARE(pending.probesStarted, 2);
        pending.probes.takeFirst()(std::nullopt);
        QVERIFY(!m->tailnet());
        step(*m, 10s);
        QCOMPARE(pending.probesStarted, 2); // exactly 10 s is not more than 10 s
        step(*m, 0.5s);
        QCOMPARE(pending.probesStarted, 3);
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
        // Loopback is left out of the interface list.
        QCOMPARE(m->adv().ifaces(), (QList<Flow>{Flow{u"eth0"_s, 2000, 0}}));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
