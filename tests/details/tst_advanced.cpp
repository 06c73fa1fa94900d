#include "details/advanced.h"
#include "support/fake_clock.h"

#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <atomic>
#include <mutex>

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

    void firstUpdate() {
        const auto a = make();
        QSignalSpy changed(a.get(), &Advanced::changed);
        QCoreApplication::processEvents();
        QCOMPARE(state->wifiReads + state->sampleCalls + state->slowCalls, 0); // nothing happens until fed
        QVERIFY(a->wifi().isEmpty() && a->addrs().isEmpty() && a->net().isEmpty());
        a->update(reading(1000, 1000));
        QVERIFY(settle(*a, 1, 1));
        QCOMPARE(a->addrs(),
                 (QList<KV>{{u"eth0 192.168.1.20"_s, u"192.168.1.20"_s}, {u"eth0 2a02::5"_s, u"2a02::5"_s}}));
        QVERIFY(a->ifaces().isEmpty() && a->procs().isEmpty() && !changed.isEmpty() && !a->needsLocation());
        QCOMPARE(a->net(), (QList<KV>{{u"Router"_s, u"-"_s}, {u"DNS"_s, u"-"_s}}));
    }

    // A sample or a link reading can wait on the kernel for seconds; the refreshes go on without it, start no
    // second one, and its rows come when it ends.
    void readingsOffTheMainThread() {
        state->link.emplace();
        state->link->iface = u"wlan0"_s;
        state->link->ssid = u"Dom"_s;
        state->sampleGate.closed = state->wifiGate.closed = true;
        const auto a = make();
        for (int i = 0; i < 3; ++i) {
            a->update(reading(0, 0));
            clock->advance(2s);
        }
        QVERIFY(QTest::qWaitFor([&] { return state->sampleCalls == 1 && state->wifiReads == 1; }));
        QVERIFY(a->wifi().isEmpty() && a->addrs().isEmpty() && a->linkBusy() && a->procBusy());
        state->sampleGate.open();
        QVERIFY(QTest::qWaitFor([&] { return !a->procBusy(); }));
        a->update(reading(0, 0));
        QVERIFY(QTest::qWaitFor([&] { return a->samples() == 2; }));
        QCOMPARE(state->sampleCalls, 2);
        state->wifiGate.open();
        QVERIFY(QTest::qWaitFor([&] { return !a->linkBusy(); }));
        QCOMPARE(valueOf(a->wifi(), u"Sieć"_s), u"Dom"_s);
        QCOMPARE(a->addrs().size(), 2);
        QCOMPARE(state->wifiReads, 1);
    }

    void wifiAndSlowFacts() {
        state->link.emplace();
        state->link->iface = u"wlan0"_s;
        state->link->rssi = -60;
        state->link->bssid = u"a4:83:e7:01:02:03"_s;
        state->slow.router = u"192.168.1.1"_s;
        state->slow.ports = {{u"wlan0"_s, u"Wi-Fi"_s}};
        state->slow.accessPoints = {{u"a4:83:e7:01:02:03"_s, {platform::WifiSecurity::WPA3Personal, {}}}};
        const auto a = make();
        a->update(reading(0, 0, u"172.20.10.2"_s));
        QVERIFY(settle(*a, 1, 1));
        QCOMPARE(valueOf(a->wifi(), u"Sieć"_s), u"hotspot iPhone"_s);
        QCOMPARE(valueOf(a->wifi(), u"Interfejs"_s), u"wlan0 (Wi-Fi)"_s);
        QCOMPARE(valueOf(a->wifi(), u"Zabezpieczenie"_s), u"WPA3 Personal"_s);
        QCOMPARE(a->net(), (QList<KV>{{u"Router"_s, u"192.168.1.1"_s}, {u"DNS"_s, u"-"_s}}));
        clock->advance(2s);
        a->update(reading(0, 0, u"172.20.10.16"_s));
        QVERIFY(QTest::qWaitFor([&] { return valueOf(a->wifi(), u"Sieć"_s) == u"brak połączenia"_s; }));
    }

    // A local server answers each request with `reply`, or takes it and never answers when `reply` is empty.
    void publicIP() {
        const std::tuple<const char*, QByteArray, QString> rows[]{
            {"answered", "200 OK\r\nContent-Length: 12\r\n\r\n203.0.113.7\n", u"203.0.113.7\n"_s},
            {"error page", "404 Not Found\r\nContent-Length: 4\r\n\r\nnope", u"błąd"_s},
            {"never answers", {}, u"błąd"_s}};
        for (const auto& [name, reply, shown] : rows) {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost));
            connect(&server, &QTcpServer::newConnection, &server, [&server, reply = reply] {
                QTcpSocket* s = server.nextPendingConnection();
                if (!reply.isEmpty())
                    connect(s, &QTcpSocket::readyRead, s, [s, reply] { s->write("HTTP/1.1 " + reply); });
            });
            const auto a = make(QUrl(u"http://127.0.0.1:%1/"_s.arg(server.serverPort())), 300ms);
            a->fetchPublicIP(u"nl-exit"_s);
            QCOMPARE(a->publicIP(), std::optional(u"…"_s));
            QVERIFY2(QTest::qWaitFor([&] { return a->publicIP() != u"…"_s; }, 20000), name);
            QVERIFY2(a->publicIP() == shown && a->publicIPExit() == u"nl-exit"_s, name);
        }
        QCOMPARE(state->sampleCalls + state->slowCalls + state->wifiReads, 0);
    }
};

QTEST_GUILESS_MAIN(TestAdvanced)
#include "tst_advanced.moc"
