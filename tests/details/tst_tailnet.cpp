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

// The status with the exit peer's `key` set to `value`.
QByteArray withExitPeer(const QString& key, const QJsonValue& value) {
    QJsonObject o = QJsonDocument::fromJson(statusJson).object();
    QJsonObject peers = o[u"Peer"_s].toObject();
    QJsonObject exit = peers[u"nodekey:2222"_s].toObject();
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

    // Runs a `tailscale` that prints `output` when asked for its status, or `tool` itself, and waits for the one
    // answer.
    std::optional<Tailnet> statusFrom(const QByteArray& output, QString tool = {}) {
        const QString file = tools.dir() + u"/status-%1.json"_s.arg(++outputs);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(output) != output.size())
            qFatal("cannot write the fake status");
        f.close();
        if (tool.isEmpty())
            tool = tools.script(u"tailscale-%1"_s.arg(outputs),
                                u"[ \"$1 $2\" = 'status --json' ] && cat '"_s + file + u"'"_s);
        QObject context;
        std::optional<Tailnet> result = Tailnet{};
        int calls = 0;
        tailnetStatus(
            &context, [&](std::optional<Tailnet> t) { result = std::move(t), ++calls; }, tool);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(calls == 1, 20000); }();
        return result;
    }

private slots:
    void statusThroughTheTool() {
        const auto t = statusFrom(statusJson);
        QVERIFY(t && t->exitPing); // the exit node's loopback address answers
        Tailnet expected{u"Running"_s, u"ania@example.com"_s,
                         u"laptop"_s,  {u"100.101.102.103"_s, u"fd7a:115c:a1e0::1201:6667"_s},
                         u"nl-exit"_s, u"127.0.0.2"_s,
                         false,        QString(),
                         u"ams"_s,     t->exitPing};
        QCOMPARE(*t, expected);
        // An address the ping tool would read as an option is not pinged.
        const auto hostile = statusFrom(withExitPeer(u"TailscaleIPs"_s, QJsonArray{u"-c99999"_s}));
        QVERIFY(hostile && hostile->exitIP == u"-c99999"_s && !hostile->exitPing);
        QCOMPARE(statusFrom({}, u"/nonexistent/tailscale"_s), std::nullopt);
    }

    void parsing() {
        QByteArray noStatus = statusJson;
        noStatus.replace("\"ExitNodeStatus\"", "\"SomethingElse\"");
        // The state, the exit node's name, address, path, relay and whether the path is direct, or "none".
        const std::pair<QByteArray, QString> rows[]{{withExitPeer(u"CurAddr"_s, u"203.0.113.7:41641"_s),
                                                     u"Running nl-exit 127.0.0.2 203.0.113.7:41641 ams 1"_s},
                                                    {noStatus, u"Running - -   0"_s},
                                                    {{}, u"none"_s}};
        for (const auto& [json, expected] : rows) {
            const auto t = parseTailnet(json);
            const QString got =
                !t ? u"none"_s
                   : QStringList{t->state,     t->exitName.value_or(u"-"_s),  t->exitIP.value_or(u"-"_s), t->exitAddr,
                                 t->exitRelay, QString::number(t->exitDirect)}
                         .join(u' ');
            QCOMPARE(got, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestTailnet)
#include "tst_tailnet.moc"
