#include "details/advanced.h"

#include "core/background.h"
#include "core/clock.h"
#include "core/hotspot_address.h"
#include "details/process_traffic.h"
#include "details/service.h"
#include "details/wifi_info.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace {

// Slow facts are read again once this much time has passed since the last reading started.
constexpr Seconds slowEvery{10.0};
// A reply larger than this is not an address.
constexpr qint64 bodyLimit = 64 * 1024;

} // namespace

const QUrl Advanced::publicIPService{u"https://api.ipify.org"_s};

Advanced::Advanced(const Clock& clock, QObject* parent)
    : Advanced(clock, Deps(), parent) {}

Advanced::Advanced(const Clock& clock, Deps deps, QObject* parent)
    : QObject(parent)
    , clock_(clock)
    , source_(deps.source ? std::move(deps.source) : platform::systemDetails())
    , publicIPUrl_(deps.publicIPUrl.isEmpty() ? publicIPService : deps.publicIPUrl)
    , publicIPTimeout_(deps.publicIPTimeout) {}

Advanced::~Advanced() = default;

void Advanced::update(const platform::Interfaces& now) {
    const Timestamp t = clock_.now();
    const bool hotspot = hotspotInterface(now.ipv4).has_value();

    bool changed = false;
    auto publish = [&changed](auto& field, auto value) {
        if (field != value) {
            field = std::move(value);
            changed = true;
        }
    };
    publish(wifi_, wifiInfo(hotspot));
    publish(addrs_, addresses());
    if (lastIfTime_) {
        const Seconds dt = between(*lastIfTime_, t);
        if (dt.count() > 0)
            publish(ifaces_, interfaceFlows(lastIf_, now, dt));
    }
    lastIf_ = now.bytes;
    lastIfTime_ = t;
    if (changed)
        emit this->changed();

    if (!procBusy_)
        procsUpdate();
    if (!slowBusy_ && (!slowAt_ || between(*slowAt_, t) > slowEvery)) {
        slowAt_ = t;
        slowUpdate();
    }
}

QList<KV> Advanced::wifiInfo(bool hotspot) const {
    const auto link = source_->wifi();
    std::optional<int> security;
    if (link && link->bssid) {
        if (const auto known = security_.constFind(*link->bssid); known != security_.cend())
            security = *known;
    }
    return ::wifiInfo(link, security, hotspot, ifType_);
}

QList<KV> Advanced::addresses() const {
    QList<KV> rows;
    for (const platform::Address& a : source_->addresses())
        rows.append({a.iface + u' ' + a.text, a.text});
    return rows;
}

void Advanced::procsUpdate() {
    procBusy_ = true;
    std::shared_ptr<platform::Details> source = source_;
    inBackground<QByteArray>(
        this, [source] { return source->processSample(); }, [this](const QByteArray& sample) { procsDone(sample); });
}

void Advanced::procsDone(const QByteArray& text) {
    const Timestamp t = clock_.now();
    const ProcessSample sample = parseSample(QString::fromUtf8(text));
    if (lastProcTime_) {
        const Seconds dt = between(*lastProcTime_, t);
        if (dt.count() > 0) {
            QList<Flow> flows = processFlows(lastProc_, sample, dt);
            if (flows != procs_) {
                procs_ = std::move(flows);
                emit changed();
            }
        }
    }
    lastProc_ = sample;
    lastProcTime_ = t;
    procBusy_ = false;
    ++samples_;
}

void Advanced::slowUpdate() {
    slowBusy_ = true;
    std::shared_ptr<platform::Details> source = source_;
    inBackground<platform::SlowFacts>(
        this, [source] { return source->slow(); }, [this](const platform::SlowFacts& facts) { slowDone(facts); });
}

void Advanced::slowDone(const platform::SlowFacts& facts) {
    slowBusy_ = false;
    ++slowReadings_;
    const QList<KV> net{{u"Router"_s, facts.router.value_or(u"-"_s)}, {u"DNS"_s, facts.dns.value_or(u"-"_s)}};
    security_ = facts.security;
    const std::optional<QString> vpn = vpnName(facts.processes);
    const bool same =
        net == net_ && facts.ports == ifType_ && facts.hwMAC == hwMAC_ && facts.curMAC == curMAC_ && vpn == vpn_;
    if (same)
        return;
    net_ = net;
    ifType_ = facts.ports;
    hwMAC_ = facts.hwMAC;
    curMAC_ = facts.curMAC;
    vpn_ = vpn;
    emit changed();
}

void Advanced::askLocation() {}

void Advanced::fetchPublicIP(const std::optional<QString>& exit) {
    publicIP_ = u"…"_s;
    publicIPExit_ = exit;
    emit changed();
    if (!http_)
        http_ = new QNetworkAccessManager(this);
    QNetworkRequest request(publicIPUrl_);
    request.setTransferTimeout(int(publicIPTimeout_.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = http_->get(request);
    // Stop reading as soon as the body outgrows what an address can be.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > bodyLimit)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        // Only a successful answer is an address: an error page, a failed connection, a time-out, an
        // oversized or binary body is not.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool answered = status.isValid() && status.toInt() < 400;
        const bool broken =
            reply->error() != QNetworkReply::NoError && reply->error() < QNetworkReply::ProxyConnectionRefusedError;
        const QByteArray body = broken ? QByteArray() : reply->readAll();
        if (!answered || broken || body.size() > bodyLimit || body.contains('\0'))
            publicIP_ = u"błąd"_s;
        else
            publicIP_ = QString::fromUtf8(body);
        emit changed();
    });
}
