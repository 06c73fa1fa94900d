#include "details/tailnet.h"
#include "support/fake_tool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// `tailscale status --json` as the program prints it, without the keys nothing reads. The exit node's
// first address is on loopback so that its ping never leaves the machine.
const QByteArray statusJson = R"({
  "Version": "1.76.1-t1234567-g89abcdef", "TUN": true, "BackendState": "Running", "AuthURL": "",
  "TailscaleIPs": ["100.101.102.103", "fd7a:115c:a1e0::1201:6667"],
  "Self": {"ID": "nSelf11CNTRL", "HostName": "laptop", "DNSName": "laptop.tail1234.ts.net.", "OS": "linux",
           "TailscaleIPs": ["100.101.102.103", "fd7a:115c:a1e0::1201:6667"], "CurAddr": "", "Relay": "waw",
           "Online": true, "ExitNode": false, "ExitNodeOption": false},
  "MagicDNSSuffix": "tail1234.ts.net",
  "CurrentTailnet": {"Name": "ania@example.com", "MagicDNSSuffix": "tail1234.ts.net", "MagicDNSEnabled": true},
  "Peer": {
    "nodekey:1111": {"ID": "nNas11CNTRL", "HostName": "nas", "OS": "linux",
                     "TailscaleIPs": ["100.64.0.5", "fd7a:115c:a1e0::5"], "CurAddr": "192.168.1.30:41641",
                     "Relay": "waw", "Online": true, "ExitNode": false, "ExitNodeOption": true},
    "nodekey:2222": {"ID": "nExit1CNTRL", "HostName": "nl-exit", "OS": "linux",
                     "TailscaleIPs": ["127.0.0.2", "fd7a:115c:a1e0::2"], "CurAddr": "", "Relay": "ams",
                     "Online": true, "ExitNode": true, "ExitNodeOption": true}
  },
  "User": {"1234": {"ID": 1234, "LoginName": "ania@example.com", "DisplayName": "Ania"}},
  "ExitNodeStatus": {"ID": "nExit1CNTRL", "Online": true, "TailscaleIPs": ["127.0.0.2/32"]}
})";

// The status with the exit peer's `key` set to `value` (removed when undefined).
QByteArray withExitPeer(const QString& key, const QJsonValue& value) {
    QJsonObject o = QJsonDocument::fromJson(statusJson).object();
    QJsonObject peers = o[u"Peer"_s].toObject();
    QJsonObject exit = peers[u"nodekey:2222"_s].toObject();
    if (value.isUndefined())
        exit.remove(key);
    else
        exit[key] = value;
    peers[u"nodekey:2222"_s] = exit;
    o[u"Peer"_s] = peers;
    return QJsonDocument(o).toJson();
}

} // namespace

class TestTailnet : public QObject {
    Q_OBJECT

    FakeTools tools;
    int outputs = 0;

    // Runs a fake `tailscale` that prints `output` and waits for the one answer.
    std::optional<Tailnet> statusFrom(const QByteArray& output) {
        const QString file = tools.dir() + u"/status-%1.json"_s.arg(++outputs);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write the fake status");
        f.write(output);
        f.close();
        const QString tool =
            tools.script(u"tailscale-%1"_s.arg(outputs), u"[ \"$1 $2\" = 'status --json' ] && cat '"_s + file + u"'"_s);
        QObject context;
        std::optional<Tailnet> result;
        int calls = 0;
        tailnetStatus(
            &context,
            [&](std::optional<Tailnet> t) {
                result = std::move(t);
                ++calls;
            },
            tool);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(calls == 1, 20000); }();
        return result;
    }

private slots:
    void exitNodeThroughARelayOrDirect() {
        auto t = statusFrom(statusJson);
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"Running"_s);
        QCOMPARE(t->tailnet, u"ania@example.com"_s);
        QCOMPARE(t->host, u"laptop"_s);
        QCOMPARE(t->selfIPs, (QStringList{u"100.101.102.103"_s, u"fd7a:115c:a1e0::1201:6667"_s}));
        QCOMPARE(t->exitName, std::optional(u"nl-exit"_s));
        QCOMPARE(t->exitIP, std::optional(u"127.0.0.2"_s));
        QVERIFY(!t->exitDirect);
        QCOMPARE(t->exitRelay, u"ams"_s);
        QVERIFY2(t->exitPing.has_value(), "the exit node's loopback address answers");
        t = parseTailnet(withExitPeer(u"CurAddr"_s, u"203.0.113.7:41641"_s));
        QVERIFY(t->exitDirect);
        QCOMPARE(t->exitAddr, u"203.0.113.7:41641"_s);
    }

    void notRunning() {
        QByteArray json = statusJson;
        json.replace(R"("BackendState": "Running")", R"("BackendState": "NeedsLogin")");
        const auto t = statusFrom(json);
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"NeedsLogin"_s);
    }

    void exitNodeRules_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("exit");
        QByteArray noStatus = statusJson;
        noStatus.replace("\"ExitNodeStatus\"", "\"SomethingElse\"");
        QTest::newRow("no ExitNodeStatus") << noStatus << false;
        QTest::newRow("ExitNode as text") << withExitPeer(u"ExitNode"_s, u"true"_s) << false;
        QByteArray oddPeer = statusJson;
        oddPeer.replace(R"("Peer": {)", R"("Peer": {"nodekey:0": 5, )");
        QTest::newRow("a peer that is not an object") << oddPeer << false;
        QTest::newRow("exit peer without a name") << withExitPeer(u"HostName"_s, QJsonValue::Undefined) << false;
    }
    void exitNodeRules() {
        QFETCH(QByteArray, json);
        QFETCH(bool, exit);
        const auto t = parseTailnet(json);
        QVERIFY(t.has_value());
        QCOMPARE(t->exitName.has_value(), exit);
    }

    void missingPiecesTakeTheirDefaults() {
        const auto t = parseTailnet(R"({"Self": {"TailscaleIPs": ["100.1.1.1", 7]}, "CurrentTailnet": "x"})");
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"?"_s);
        QCOMPARE(t->tailnet, QString());
        QVERIFY(t->host.isEmpty() && t->selfIPs.isEmpty() && !t->exitIP);
        const auto peer = parseTailnet(withExitPeer(u"TailscaleIPs"_s, QJsonArray()));
        QVERIFY(!peer->exitIP);
        QCOMPARE(peer->exitRelay, u"ams"_s);
    }

    void notAStatus_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("Tailscale is stopped.\n");
        QTest::newRow("array") << QByteArray(R"([{"BackendState":"Running"}])");
        QTest::newRow("truncated") << statusJson.left(700);
        QTest::newRow("binary") << QByteArray("\x7f\x45\x4c\x46\x00\x01\xff", 7);
        QTest::newRow("deep nesting") << QByteArray(200000, '{');
    }
    void notAStatus() {
        QFETCH(QByteArray, output);
        QVERIFY(!statusFrom(output));
    }

    void missingProgramCompletesWithNothing() {
        QObject context;
        int calls = 0;
        std::optional<Tailnet> result = Tailnet{};
        tailnetStatus(
            &context,
            [&](std::optional<Tailnet> t) {
                result = t;
                ++calls;
            },
            u"/nonexistent/tailscale"_s);
        QTRY_COMPARE(calls, 1);
        QVERIFY(!result);
    }

    void largeTailnet() {
        // Thousands of peers: megabytes of status, parsed away from the event loop.
        QJsonObject o = QJsonDocument::fromJson(statusJson).object();
        QJsonObject peers = o[u"Peer"_s].toObject();
        for (int i = 0; i < 8000; ++i)
            peers[u"nodekey:peer%1"_s.arg(i)] = peers[u"nodekey:1111"_s];
        o[u"Peer"_s] = peers;
        const auto t = statusFrom(QJsonDocument(o).toJson());
        QVERIFY(t.has_value());
        QCOMPARE(t->exitName, std::optional(u"nl-exit"_s));
    }

    void hostileExitAddressIsNotPinged() {
        const auto t = statusFrom(withExitPeer(u"TailscaleIPs"_s, QJsonArray{u"-c99999"_s}));
        QCOMPARE(t->exitIP, std::optional(u"-c99999"_s));
        QVERIFY(!t->exitPing);
    }
};

QTEST_GUILESS_MAIN(TestTailnet)
#include "tst_tailnet.moc"
