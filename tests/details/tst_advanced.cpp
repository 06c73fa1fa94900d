#include "details/advanced.h"
#include "support/fake_clock.h"

#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
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

// A plain HTTP server on loopback that answers every request the same way, or not at all.
struct HttpServer final : QTcpServer {
    int status = 200;
    QByteArray body, lastRequest;
    bool silent = false;
    int requests = 0;

    HttpServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
                        return;
                    socket->setProperty("answered", true);
                    lastRequest = request;
                    ++requests;
                    if (silent)
                        return;
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/"_s.arg(serverPort())); }
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

    void firstUpdateAndSlowCadence() {
        const auto a = make();
        QSignalSpy changed(a.get(), &Advanced::changed);
        QCoreApplication::processEvents();
        QCOMPARE(state->wifiReads + state->sampleCalls + state->slowCalls, 0); // nothing happens until fed
        QVERIFY(a->wifi().isEmpty() && a->addrs().isEmpty() && a->net().isEmpty());
        a->update(reading(1000, 1000));
        QVERIFY(settle(*a, 1, 1));
        QCOMPARE(a->addrs(),
                 (QList<KV>{{u"eth0 192.168.1.20"_s, u"192.168.1.20"_s}, {u"eth0 2a02::5"_s, u"2a02::5"_s}}));
        QCOMPARE(a->wifi(), (QList<KV>{{u"Wi-Fi"_s, u"brak"_s}}));
        QVERIFY(a->ifaces().isEmpty() && a->procs().isEmpty() && !changed.isEmpty() && !a->needsLocation());
        QCOMPARE(std::pair(state->sampleCalls.load(), state->slowCalls.load()), std::pair(1, 1));
        QCOMPARE(a->net(), (QList<KV>{{u"Router"_s, u"-"_s}, {u"DNS"_s, u"-"_s}}));
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
                          "process,bytes_in,bytes_out\nfirefox.100,5000,250\nsshd.7,5,10\n",
                          // A failed sample empties the list; the one after it has nothing to compare with.
                          QByteArray(), "h\nfirefox.100,9000,250\n", "h\nfirefox.100,9000,250\n"};
        const auto a = make();
        QList<QList<Flow>> seen;
        for (int i = 1; i <= 5; ++i) {
            a->update(reading(0, 0));
            QVERIFY(QTest::qWaitFor([&] { return a->samples() == i && !a->linkBusy(); }));
            seen.append(a->procs());
            clock->advance(2s);
        }
        // sshd's count went down, so it is left out.
        QCOMPARE(seen, (QList<QList<Flow>>{{}, {{u"firefox"_s, 2000, 100}}, {}, {}, {{u"firefox"_s, 0, 0}}}));
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
        state->link.emplace();
        state->link->iface = u"wlan0"_s;
        state->link->rssi = -60;
        state->link->bssid = u"a4:83:e7:01:02:03"_s;
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
        QCOMPARE(a->tunnels(), state->slow.tunnels);
        clock->advance(2s);
        a->update(reading(0, 0, u"172.20.10.16"_s));
        QVERIFY(QTest::qWaitFor([&] { return valueOf(a->wifi(), u"Sieć"_s) == u"brak połączenia"_s; }));
        a->askLocation();
        QVERIFY(!a->needsLocation());
    }

    void publicIP() {
        const struct {
            const char* name;
            int status; // 0 for a server that never answers, -1 for none at all
            QByteArray body;
            std::optional<QString> exit;
            QString shown;
        } rows[]{{"address with line feed", 200, "203.0.113.7\n", u"nl-exit"_s, u"203.0.113.7\n"_s},
                 {"error page", 503, "Service Unavailable", u"nl-exit"_s, u"błąd"_s},
                 {"address on an error status", 400, "203.0.113.7", u"nl-exit"_s, u"błąd"_s},
                 {"bad utf-8 replaced", 200, "a\xff", u"nl-exit"_s, u"a\uFFFD"_s},
                 {"empty body", 204, QByteArray(), u"nl-exit"_s, QString()},
                 {"binary body", 200, QByteArray("\x01\x00\x02", 3), u"nl-exit"_s, u"błąd"_s},
                 {"ten megabytes", 200, QByteArray(10'000'000, '7'), u"nl-exit"_s, u"błąd"_s},
                 {"silent", 0, {}, std::nullopt, u"błąd"_s},
                 {"refused", -1, {}, u"nl-exit"_s, u"błąd"_s}};
        for (const auto& row : rows) {
            auto server = std::make_unique<HttpServer>();
            server->status = row.status;
            server->body = row.body;
            server->silent = row.status == 0;
            const auto a = make(server->url(), row.status == 0 ? 300ms : 10000ms);
            if (row.status < 0)
                server.reset();
            QVERIFY(!a->publicIP());
            a->fetchPublicIP(row.exit);
            QCOMPARE(a->publicIP(), std::optional(u"…"_s));
            QVERIFY(QTest::qWaitFor([&] { return a->publicIP() != u"…"_s; }, 20000));
            QVERIFY2(a->publicIP() == row.shown, row.name);
            QCOMPARE(a->publicIPExit(), row.exit);
            QCOMPARE(server ? server->requests : 1, 1);
            QVERIFY(!server || server->lastRequest.startsWith("GET / HTTP/1.1\r\n"));
        }
        QCOMPARE(state->sampleCalls + state->slowCalls + state->wifiReads, 0);
    }
};

QTEST_GUILESS_MAIN(TestAdvanced)
#include "tst_advanced.moc"
