#include "details/tailnet.h"
#include "support/fake_tool.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// `tailscale status --json` as the program prints it, trimmed to a readable size. The exit node's first
// address is on loopback so that its ping never leaves the machine.
QJsonObject status(bool exitDirect = false) {
    const QByteArray json = R"({
  "Version": "1.76.1-t1234567-g89abcdef",
  "TUN": true,
  "BackendState": "Running",
  "HaveNodeKey": true,
  "AuthURL": "",
  "TailscaleIPs": ["100.101.102.103", "fd7a:115c:a1e0::1201:6667"],
  "Self": {
    "ID": "nSelf11CNTRL", "PublicKey": "nodekey:aaaa", "HostName": "laptop",
    "DNSName": "laptop.tail1234.ts.net.", "OS": "linux", "UserID": 1234,
    "TailscaleIPs": ["100.101.102.103", "fd7a:115c:a1e0::1201:6667"],
    "AllowedIPs": ["100.101.102.103/32"], "Addrs": ["192.168.1.20:41641"], "CurAddr": "", "Relay": "waw",
    "RxBytes": 0, "TxBytes": 0, "Created": "2024-01-01T00:00:00Z", "Online": true,
    "ExitNode": false, "ExitNodeOption": false, "Active": false, "InNetworkMap": true, "InMagicSock": false,
    "InEngine": false
  },
  "Health": [],
  "MagicDNSSuffix": "tail1234.ts.net",
  "CurrentTailnet": {"Name": "ania@example.com", "MagicDNSSuffix": "tail1234.ts.net", "MagicDNSEnabled": true},
  "CertDomains": null,
  "Peer": {
    "nodekey:1111": {
      "ID": "nNas11CNTRL", "PublicKey": "nodekey:1111", "HostName": "nas", "DNSName": "nas.tail1234.ts.net.",
      "OS": "linux", "UserID": 1234, "TailscaleIPs": ["100.64.0.5", "fd7a:115c:a1e0::5"],
      "CurAddr": "192.168.1.30:41641", "Relay": "waw", "Online": true,
      "ExitNode": false, "ExitNodeOption": true, "Active": true
    },
    "nodekey:2222": {
      "ID": "nExit1CNTRL", "PublicKey": "nodekey:2222", "HostName": "nl-exit", "DNSName": "nl-exit.tail1234.ts.net.",
      "OS": "linux", "UserID": 1234, "TailscaleIPs": ["127.0.0.2", "fd7a:115c:a1e0::2"],
      "CurAddr": "", "Relay": "ams", "Online": true,
      "ExitNode": true, "ExitNodeOption": true, "Active": true
    }
  },
  "User": {"1234": {"ID": 1234, "LoginName": "ania@example.com", "DisplayName": "Ania"}},
  "ExitNodeStatus": {"ID": "nExit1CNTRL", "Online": true, "TailscaleIPs": ["127.0.0.2/32", "fd7a:115c:a1e0::2/128"]}
})";
    QJsonObject o = QJsonDocument::fromJson(json).object();
    if (exitDirect) {
        QJsonObject peers = o[u"Peer"_s].toObject();
        QJsonObject exit = peers[u"nodekey:2222"_s].toObject();
        exit[u"CurAddr"_s] = u"203.0.113.7:41641"_s;
        peers[u"nodekey:2222"_s] = exit;
        o[u"Peer"_s] = peers;
    }
    return o;
}

QByteArray bytes(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

} // namespace

class TestTailnet : public QObject {
    Q_OBJECT

    FakeTools tools;

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
    int outputs = 0;

private slots:
    void exitNodeThroughARelay() {
        const auto t = statusFrom(bytes(status()));
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"Running"_s);
        QCOMPARE(t->tailnet, u"ania@example.com"_s);
        QCOMPARE(t->host, u"laptop"_s);
        QCOMPARE(t->selfIPs, (QStringList{u"100.101.102.103"_s, u"fd7a:115c:a1e0::1201:6667"_s}));
        QCOMPARE(t->exitName, std::optional(u"nl-exit"_s));
        QCOMPARE(t->exitIP, std::optional(u"127.0.0.2"_s));
        QVERIFY(!t->exitDirect);
        QCOMPARE(t->exitAddr, QString());
        QCOMPARE(t->exitRelay, u"ams"_s);
        QVERIFY2(t->exitPing.has_value(), "the exit node's loopback address answers");
    }

    void exitNodeDirect() {
        const auto t = statusFrom(bytes(status(true)));
        QVERIFY(t.has_value());
        QVERIFY(t->exitDirect);
        QCOMPARE(t->exitAddr, u"203.0.113.7:41641"_s);
    }

    void notRunning() {
        QJsonObject o = status();
        o[u"BackendState"_s] = u"NeedsLogin"_s;
        o.remove(u"ExitNodeStatus"_s);
        const auto t = statusFrom(bytes(o));
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"NeedsLogin"_s);
        QVERIFY(!t->exitName);
        QVERIFY(!t->exitPing);
    }

    void noExitNodeStatusMeansNoExitNode() {
        QJsonObject o = status();
        o.remove(u"ExitNodeStatus"_s);
        const auto t = parseTailnet(bytes(o));
        QVERIFY(t.has_value());
        QVERIFY(!t->exitName && !t->exitIP);
        QCOMPARE(t->exitRelay, QString());
    }

    void exitNodeGivenAsTextDoesNotCount() {
        const QByteArray text = bytes(status()).replace(R"("ExitNode": true)", R"("ExitNode": "true")");
        QVERIFY(text.contains(R"("ExitNode": "true")"));
        const auto t = parseTailnet(text);
        QVERIFY(t.has_value());
        QVERIFY(!t->exitName);
    }

    void aPeerThatIsNotAnObjectHidesTheExitNode() {
        QJsonObject o = status();
        QJsonObject peers = o[u"Peer"_s].toObject();
        peers[u"nodekey:3333"_s] = 5;
        o[u"Peer"_s] = peers;
        const auto t = parseTailnet(bytes(o));
        QVERIFY(t.has_value());
        QVERIFY(!t->exitName);
    }

    void exitPeerWithoutNameStillReadsItsPath() {
        QJsonObject o = status();
        QJsonObject peers = o[u"Peer"_s].toObject();
        QJsonObject exit = peers[u"nodekey:2222"_s].toObject();
        exit.remove(u"HostName"_s);
        exit[u"TailscaleIPs"_s] = QJsonArray();
        peers[u"nodekey:2222"_s] = exit;
        o[u"Peer"_s] = peers;
        const auto t = parseTailnet(bytes(o));
        QVERIFY(!t->exitName);
        QVERIFY(!t->exitIP);
        QCOMPARE(t->exitRelay, u"ams"_s);
    }

    void missingPiecesTakeTheirDefaults() {
        const auto t = parseTailnet(R"({"Self": {"TailscaleIPs": ["100.1.1.1", 7]}, "CurrentTailnet": "x"})");
        QVERIFY(t.has_value());
        QCOMPARE(t->state, u"?"_s);
        QCOMPARE(t->tailnet, QString());
        QCOMPARE(t->host, QString());
        QVERIFY(t->selfIPs.isEmpty());
        const auto bare = parseTailnet("{}");
        QVERIFY(bare.has_value());
        QCOMPARE(bare->state, u"?"_s);
    }

    void notAStatus_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("Tailscale is stopped.\n");
        QTest::newRow("array") << QByteArray("[{\"BackendState\":\"Running\"}]");
        QTest::newRow("truncated") << bytes(status()).left(700);
        QTest::newRow("binary") << QByteArray("\x7f\x45\x4c\x46\x00\x01\xff", 7);
        QTest::newRow("deep nesting") << QByteArray(200000, '{');
    }
    void notAStatus() {
        QFETCH(QByteArray, output);
        QVERIFY(!parseTailnet(output));
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
        // Thousands of peers: megabytes of status, parsed without stalling or failing.
        QJsonObject o = status();
        QJsonObject peers = o[u"Peer"_s].toObject();
        const QJsonObject nas = peers[u"nodekey:1111"_s].toObject();
        for (int i = 0; i < 5000; ++i)
            peers[u"nodekey:peer%1"_s.arg(i)] = nas;
        o[u"Peer"_s] = peers;
        const QByteArray json = bytes(o);
        QVERIFY(json.size() > 2'000'000);
        const auto t = statusFrom(json);
        QVERIFY(t.has_value());
        QCOMPARE(t->exitName, std::optional(u"nl-exit"_s));
    }

    void hostileExitAddressIsNotPinged() {
        const QByteArray json = bytes(status()).replace("\"127.0.0.2\"", "\"-c99999\"");
        const auto t = statusFrom(json);
        QVERIFY(t.has_value());
        QCOMPARE(t->exitIP, std::optional(u"-c99999"_s));
        QVERIFY(!t->exitPing);
    }
};

QTEST_GUILESS_MAIN(TestTailnet)
#include "tst_tailnet.moc"
