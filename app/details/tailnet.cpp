#include "details/tailnet.h"

#include "core/background.h"
#include "core/ping.h"
#include "core/run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto statusTimeout = 10s;

std::optional<QString> text(const QJsonObject& o, const QString& key) {
    const QJsonValue v = o.value(key);
    return v.isString() ? std::optional(v.toString()) : std::nullopt;
}

// A list of texts, or nothing when the value is not one.
std::optional<QStringList> texts(const QJsonObject& o, const QString& key) {
    const QJsonValue v = o.value(key);
    if (!v.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

// The first peer marked as the exit node, when the status says one is in use and every peer is an object.
std::optional<QJsonObject> exitPeer(const QJsonObject& status) {
    const QJsonValue peers = status.value(u"Peer"_s);
    if (!status.contains(u"ExitNodeStatus"_s) || !peers.isObject())
        return std::nullopt;
    const QJsonObject map = peers.toObject();
    for (const QJsonValue& peer : map) {
        if (!peer.isObject())
            return std::nullopt;
    }
    for (const QJsonValue& peer : map) {
        const QJsonValue exitNode = peer.toObject().value(u"ExitNode"_s);
        if (exitNode.isBool() && exitNode.toBool())
            return peer.toObject();
    }
    return std::nullopt;
}

} // namespace

std::optional<Tailnet> parseTailnet(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject status = doc.object();
    const QJsonObject self = status.value(u"Self"_s).toObject();
    Tailnet t;
    t.state = text(status, u"BackendState"_s).value_or(u"?"_s);
    t.tailnet = text(status.value(u"CurrentTailnet"_s).toObject(), u"Name"_s).value_or(QString());
    t.host = text(self, u"HostName"_s).value_or(QString());
    t.selfIPs = texts(self, u"TailscaleIPs"_s).value_or(QStringList());
    if (const auto peer = exitPeer(status)) {
        t.exitName = text(*peer, u"HostName"_s);
        if (const auto ips = texts(*peer, u"TailscaleIPs"_s); ips && !ips->isEmpty())
            t.exitIP = ips->first();
        t.exitAddr = text(*peer, u"CurAddr"_s).value_or(QString());
        t.exitDirect = !t.exitAddr.isEmpty();
        t.exitRelay = text(*peer, u"Relay"_s).value_or(QString());
    }
    return t;
}

void tailnetStatus(QObject* context, std::function<void(std::optional<Tailnet>)> done, const QString& tool) {
    run(tool, {u"status"_s, u"--json"_s}, statusTimeout, context,
        [context, done = std::move(done)](const QString& out) mutable {
            // Most machines have no Tailscale: nothing to parse, no thread to wake.
            if (out.isEmpty()) {
                done(std::nullopt);
                return;
            }
            // A large tailnet prints megabytes; parse them away from the event loop.
            inBackground<std::optional<Tailnet>>(
                context, [json = out.toUtf8()] { return parseTailnet(json); },
                [context, done = std::move(done)](std::optional<Tailnet> t) mutable {
                    if (!t || !t->exitIP) {
                        done(t);
                        return;
                    }
                    const QString ip = *t->exitIP;
                    ping(ip, context, [t = *t, done = std::move(done)](std::optional<double> ms) mutable {
                        t.exitPing = ms;
                        done(t);
                    });
                });
        });
}
