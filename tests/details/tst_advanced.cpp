#include "details/advanced.h"
#include "http_server.h"
#include "support/fake_clock.h"

#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Holds a reading until the test lets it go.
struct Gate {
    std::atomic<bool> closed = false;
    QSemaphore passes;

    void pass() {
        if (closed)
            passes.acquire();
    }
    void open() {
        closed = false;
        passes.release(8);
    }
};

// What the fake source answers; shared with the test, read from worker threads.
struct SourceState {
    std::optional<platform::WifiLink> link;
    QList<platform::Address> addresses;
    platform::SlowFacts slow;
    std::mutex mutex;
    QList<QByteArray> samples; // handed out in order; the last one repeats
    std::atomic<int> wifiReads = 0;
    std::atomic<int> sampleCalls = 0;
    std::atomic<int> slowCalls = 0;
    Gate sampleGate;
    Gate wifiGate;
};

class FakeDetails final : public platform::Details {
public:
    explicit FakeDetails(std::shared_ptr<SourceState> s)
        : s_(std::move(s)) {}

    std::optional<platform::WifiLink> wifi() override {
        ++s_->wifiReads;
        s_->wifiGate.pass();
        return s_->link;
    }
    QList<platform::Address> addresses() override { return s_->addresses; }
    platform::SlowFacts slow() override {
        ++s_->slowCalls;
        return s_->slow;
    }
    QByteArray processSample() override {
        ++s_->sampleCalls;
        s_->sampleGate.pass();
        const std::lock_guard lock(s_->mutex);
        if (s_->samples.isEmpty())
            return {};
        return s_->samples.size() > 1 ? s_->samples.takeFirst() : s_->samples.first();
    }

private:
    std::shared_ptr<SourceState> s_;
};

platform::Interfaces reading(quint64 in, quint64 out, const QString& ipv4 = u"192.168.1.20"_s) {
    platform::Interfaces i;
    i.bytes = {{u"eth0"_s, {in, out}}, {u"lo"_s, {0, 0}}};
    i.ipv4 = {{u"eth0"_s, ipv4}, {u"lo"_s, u"127.0.0.1"_s}};
    return i;
}

QString valueOf(const QList<KV>& rows, const QString& k) {
    for (const KV& r : rows) {
        if (r.k == k)
            return r.v;
    }
    return u"<none>"_s;
}

} // namespace

class TestAdvanced : public QObject {
    Q_OBJECT

    std::shared_ptr<SourceState> state;
    std::unique_ptr<FakeClock> clock;

    std::unique_ptr<Advanced> make(QUrl url = {}, std::chrono::milliseconds timeout = 10s) {
        Advanced::Deps deps;
        deps.source = std::make_unique<FakeDetails>(state);
        deps.publicIPUrl = std::move(url);
        deps.publicIPTimeout = timeout;
        return std::make_unique<Advanced>(*clock, std::move(deps));
    }

    // Waits until the readings started by the last update have been taken in.
    static bool settle(const Advanced& a, int samples, int slows) {
        return QTest::qWaitFor([&] { return a.samples() == samples && a.slowReadings() == slows && !a.linkBusy(); });
    }

private slots:
    void init() {
        state = std::make_shared<SourceState>();
        state->addresses = {{u"eth0"_s, u"192.168.1.20"_s}, {u"eth0"_s, u"2a02::5"_s}};
        clock = std::make_unique<FakeClock>();
    }

    void cleanup() {
        // Let held readings go so that no worker is left waiting.
        state->sampleGate.open();
        state->wifiGate.open();
    }

    void nothingHappensUntilFed() {
        const auto a = make();
        QCoreApplication::processEvents();
        QCOMPARE(state->wifiReads + state->sampleCalls + state->slowCalls, 0);
        QVERIFY(a->wifi().isEmpty() && a->addrs().isEmpty() && a->net().isEmpty());
    }

    void firstUpdate() {
        const auto a = make();
        QSignalSpy changed(a.get(), &Advanced::changed);
        a->update(reading(1000, 1000));
        QVERIFY(settle(*a, 1, 1));
        QCOMPARE(a->addrs(),
                 (QList<KV>{{u"eth0 192.168.1.20"_s, u"192.168.1.20"_s}, {u"eth0 2a02::5"_s, u"2a02::5"_s}}));
        QCOMPARE(a->wifi(), (QList<KV>{{u"Wi-Fi"_s, u"brak"_s}}));
        QVERIFY(a->ifaces().isEmpty());
        QVERIFY(!changed.isEmpty());
        QCOMPARE(state->sampleCalls, 1);
        QCOMPARE(state->slowCalls, 1);
        QVERIFY(a->procs().isEmpty());
        QCOMPARE(a->net(), (QList<KV>{{u"Router"_s, u"-"_s}, {u"DNS"_s, u"-"_s}}));
        QVERIFY(!a->needsLocation());
    }

    void slowCadence() {
        const auto a = make();
        a->update(reading(0, 0));
        QVERIFY(settle(*a, 1, 1));
        for (const double step : {1.0, 9.0}) {
            clock->advance(Seconds(step));
            a->update(reading(0, 0));
            QVERIFY(QTest::qWaitFor([&] { return !a->procBusy(); }));
        }
        // Exactly 10 s after the start is not "more than 10 s".
        QCOMPARE(state->slowCalls, 1);
        clock->advance(Seconds(0.5));
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->slowReadings() == 2; }));
        QCOMPARE(state->slowCalls, 2);
    }

    void oneSampleInFlight() {
        state->sampleGate.closed = true;
        const auto a = make();
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return state->sampleCalls == 1; }));
        for (int i = 0; i < 3; ++i) {
            clock->advance(2s);
            a->update(reading(0, 0));
        }
        QCOMPARE(state->sampleCalls, 1);
        QVERIFY(a->procBusy());
        state->sampleGate.open();
        QVERIFY(QTest::qWaitFor([&] { return !a->procBusy(); }));
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 2; }));
        QCOMPARE(state->sampleCalls, 2);
    }

    // A link reading can wait on the kernel for seconds; the refreshes go on without it, and its rows come
    // when it ends.
    void linkReadOffTheMainThread() {
        platform::WifiLink link;
        link.iface = u"wlan0"_s;
        link.ssid = u"Dom"_s;
        state->link = link;
        state->wifiGate.closed = true;
        const auto a = make();
        for (int i = 0; i < 3; ++i) {
            a->update(reading(0, 0));
            clock->advance(2s);
        }
        QVERIFY(QTest::qWaitFor([&] { return state->wifiReads == 1; }));
        QVERIFY(a->wifi().isEmpty() && a->addrs().isEmpty() && a->linkBusy());
        state->wifiGate.open();
        QVERIFY(QTest::qWaitFor([&] { return !a->linkBusy(); }));
        QCOMPARE(valueOf(a->wifi(), u"Sieć"_s), u"Dom"_s);
        QCOMPARE(a->addrs().size(), 2);
        QCOMPARE(state->wifiReads, 1);
    }

    void goneWhileReading() {
        state->wifiGate.closed = true;
        auto a = make();
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return state->wifiReads == 1; }));
        // Destruction waits for the readings in flight; their results go nowhere.
        std::thread opener([this] {
            std::this_thread::sleep_for(50ms);
            state->wifiGate.open();
        });
        a.reset();
        opener.join();
        QCoreApplication::processEvents();
    }

    void processRates() {
        state->samples = {"process,bytes_in,bytes_out\nfirefox.100,1000,50\nsshd.7,10,10\n",
                          "process,bytes_in,bytes_out\nfirefox.100,5000,250\nsshd.7,5,10\n"};
        const auto a = make();
        a->update(reading(0, 0));
        QVERIFY(settle(*a, 1, 1));
        QVERIFY(a->procs().isEmpty());
        clock->advance(2s);
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 2; }));
        // sshd's count went down, so it is left out.
        QCOMPARE(a->procs(), (QList<Flow>{{u"firefox"_s, 2000, 100}}));
        // A failed sample empties the list; the one after it has nothing to compare with.
        {
            const std::lock_guard lock(state->mutex);
            state->samples = {QByteArray(), "h\nfirefox.100,9000,250\n", "h\nfirefox.100,9000,250\n"};
        }
        clock->advance(2s);
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 3; }));
        QVERIFY(a->procs().isEmpty());
        clock->advance(2s);
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 4; }));
        QVERIFY(a->procs().isEmpty());
        clock->advance(2s);
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 5; }));
        QCOMPARE(a->procs(), (QList<Flow>{{u"firefox"_s, 0, 0}}));
    }

    void interfaceRates() {
        const auto a = make();
        a->update(reading(0, 0));
        QVERIFY(a->ifaces().isEmpty());
        // Same instant: no rates, but the counters are kept.
        a->update(reading(1000, 500));
        QVERIFY(a->ifaces().isEmpty());
        clock->advance(2s);
        a->update(reading(3000, 1500));
        QCOMPARE(a->ifaces(), (QList<Flow>{{u"eth0"_s, 1000, 500}}));
        // Only an IPv6 address left: still listed.
        QVERIFY(QTest::qWaitFor([&] { return !a->linkBusy(); }));
        clock->advance(2s);
        platform::Interfaces six = reading(4000, 2000);
        six.ipv4.remove(u"eth0"_s);
        a->update(six);
        QCOMPARE(a->ifaces(), (QList<Flow>{{u"eth0"_s, 500, 250}}));
    }

    void wifiAndSlowFacts() {
        platform::WifiLink link;
        link.iface = u"wlan0"_s;
        link.rssi = -60;
        link.bssid = u"a4:83:e7:01:02:03"_s;
        state->link = link;
        state->slow.router = u"192.168.1.1"_s;
        state->slow.ports = {{u"wlan0"_s, u"Wi-Fi"_s}};
        state->slow.accessPoints = {{u"a4:83:e7:01:02:03"_s, {platform::WifiSecurity::WPA3Personal, {}}}};
        state->slow.tunnels = {{u"tun0"_s, QString()}, {u"wg0-mullvad"_s, u"Mullvad VPN"_s}};
        const auto a = make();
        a->update(reading(0, 0, u"172.20.10.2"_s));
        QVERIFY(settle(*a, 1, 1));
        QCOMPARE(valueOf(a->wifi(), u"Sieć"_s), u"hotspot iPhone"_s);
        QCOMPARE(valueOf(a->wifi(), u"Interfejs"_s), u"wlan0 (Wi-Fi)"_s);
        QCOMPARE(valueOf(a->wifi(), u"Zabezpieczenie"_s), u"WPA3 Personal"_s);
        QCOMPARE(a->net(), (QList<KV>{{u"Router"_s, u"192.168.1.1"_s}, {u"DNS"_s, u"-"_s}}));
        QCOMPARE(a->ifType(), state->slow.ports);
        QCOMPARE(a->tunnels(), state->slow.tunnels);
        clock->advance(2s);
        a->update(reading(0, 0, u"172.20.10.16"_s));
        QVERIFY(QTest::qWaitFor([&] { return valueOf(a->wifi(), u"Sieć"_s) == u"brak połączenia"_s; }));
        a->askLocation();
        QVERIFY(!a->needsLocation());
    }

    void publicIP_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("shown");
        QTest::newRow("address with line feed") << 200 << QByteArray("203.0.113.7\n") << u"203.0.113.7\n"_s;
        QTest::newRow("error page") << 503 << QByteArray("Service Unavailable") << u"błąd"_s;
        QTest::newRow("not found page") << 404 << QByteArray("<html>Not Found</html>") << u"błąd"_s;
        QTest::newRow("bad utf-8 replaced") << 200 << QByteArray("a\xff") << u"a\uFFFD"_s;
        QTest::newRow("empty body") << 204 << QByteArray() << QString();
        QTest::newRow("binary body") << 200 << QByteArray("\x01\x00\x02", 3) << u"błąd"_s;
        QTest::newRow("ten megabytes") << 200 << QByteArray(10'000'000, '7') << u"błąd"_s;
    }
    void publicIP() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, shown);
        HttpServer server;
        QVERIFY(server.listen());
        server.answer(status, body);
        const auto a = make(server.url());
        QVERIFY(!a->publicIP());
        a->fetchPublicIP(u"nl-exit"_s);
        QCOMPARE(a->publicIP(), std::optional(u"…"_s));
        QCOMPARE(a->publicIPExit(), std::optional(u"nl-exit"_s));
        QVERIFY(QTest::qWaitFor([&] { return a->publicIP() != u"…"_s; }, 20000));
        QCOMPARE(a->publicIP(), std::optional(shown));
        QCOMPARE(server.requests(), 1);
        QVERIFY(server.lastRequest().startsWith("GET / HTTP/1.1\r\n"));
        QCOMPARE(state->sampleCalls + state->slowCalls + state->wifiReads, 0);
    }

    void publicIPFailures() {
        HttpServer silent;
        QVERIFY(silent.listen());
        silent.setSilent(true);
        const auto slow = make(silent.url(), 300ms);
        slow->fetchPublicIP(std::nullopt);
        QVERIFY(QTest::qWaitFor([&] { return slow->publicIP() != u"…"_s; }, 20000));
        QCOMPARE(slow->publicIP(), std::optional(u"błąd"_s));
        QCOMPARE(slow->publicIPExit(), std::nullopt);

        QUrl closed;
        {
            HttpServer gone;
            QVERIFY(gone.listen());
            closed = gone.url();
        }
        const auto refused = make(closed);
        refused->fetchPublicIP(u"nl-exit"_s);
        QVERIFY(QTest::qWaitFor([&] { return refused->publicIP() != u"…"_s; }, 20000));
        QCOMPARE(refused->publicIP(), std::optional(u"błąd"_s));
        QCOMPARE(refused->publicIPExit(), std::optional(u"nl-exit"_s));
    }
};

QTEST_GUILESS_MAIN(TestAdvanced)
#include "tst_advanced.moc"
