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

// The dual-stack name of the service: its plain name has no IPv6 address, so it fails on IPv6-only networks.
const QUrl Advanced::publicIPService{u"https://api64.ipify.org"_s};

Advanced::Advanced(const Clock& clock, QObject* parent)
    : Advanced(clock, Deps(), parent) {}

Advanced::Advanced(const Clock& clock, Deps deps, QObject* parent)
    : QObject(parent)
    , clock_(clock)
    , source_(deps.source ? std::move(deps.source) : platform::systemDetails())
    , publicIPUrl_(deps.publicIPUrl.isEmpty() ? publicIPService : deps.publicIPUrl)
    , publicIPTimeout_(deps.publicIPTimeout) {
    // One thread for each kind of reading, as each has at most one in flight.
    pool_.setMaxThreadCount(3);
}

Advanced::~Advanced() = default;

void Advanced::update(const platform::Interfaces& now) {
    const Timestamp t = clock_.now();
    bool changed = false;
    // The Wi-Fi rows name the hotspot when the link has no network name.
    if (const bool hotspot = hotspotInterface(now.ipv4).has_value(); hotspot != hotspot_) {
        hotspot_ = hotspot;
        changed = wifiRows();
    }
    // Interfaces with an address of either family; an IPv6-only network has no IPv4 one.
    QStringList addressed = now.ipv4.keys() + addressed_;
    addressed.sort();
    addressed.removeDuplicates();
    if (const Seconds dt = lastIfTime_ ? between(*lastIfTime_, t) : Seconds(0); dt.count() > 0) {
        QList<Flow> flows = interfaceFlows(lastIf_, now.bytes, now.counterBits, addressed, dt);
        if (flows != ifaces_) {
            ifaces_ = std::move(flows);
            changed = true;
        }
    }
    lastIf_ = now.bytes;
    lastIfTime_ = t;
    if (changed)
        emit this->changed();

    if (!linkBusy_)
        linkUpdate();
    if (!procBusy_)
        procsUpdate();
    if (!slowBusy_ && (!slowAt_ || between(*slowAt_, t) > slowEvery)) {
        slowAt_ = t;
        slowUpdate();
    }
}

bool Advanced::wifiRows() {
    if (!linkRead_)
        return false;
    std::optional<platform::AccessPoint> point;
    if (link_ && link_->bssid) {
        if (const auto known = accessPoints_.constFind(*link_->bssid); known != accessPoints_.cend())
            point = *known;
    }
    QList<KV> rows = ::wifiInfo(link_, point, hotspot_, ifType_);
    if (rows == wifi_)
        return false;
    wifi_ = std::move(rows);
    return true;
}

void Advanced::linkUpdate() {
    linkBusy_ = true;
    std::shared_ptr<platform::Details> source = source_;
    inBackground<LinkReading>(
        this,
        [source] {
            return LinkReading{source->wifi(), source->addresses()};
        },
        [this](const LinkReading& reading) { linkDone(reading); }, &pool_);
}

void Advanced::linkDone(const LinkReading& reading) {
    linkBusy_ = false;
    link_ = reading.wifi;
    linkRead_ = true;
    QList<KV> rows;
    addressed_.clear();
    for (const platform::Address& a : reading.addresses) {
        rows.append({a.iface + u' ' + a.text, a.text});
        addressed_.append(a.iface);
    }
    bool changed = wifiRows();
    if (rows != addrs_) {
        addrs_ = std::move(rows);
        changed = true;
    }
    if (changed)
        emit this->changed();
}

void Advanced::procsUpdate() {
    procBusy_ = true;
    std::shared_ptr<platform::Details> source = source_;
    inBackground<QByteArray>(
        this, [source] { return source->processSample(); }, [this](const QByteArray& sample) { procsDone(sample); },
        &pool_);
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
        this, [source] { return source->slow(); }, [this](const platform::SlowFacts& facts) { slowDone(facts); },
        &pool_);
}

void Advanced::slowDone(const platform::SlowFacts& facts) {
    slowBusy_ = false;
    ++slowReadings_;
    const QList<KV> net{{u"Router"_s, facts.router.value_or(u"-"_s)}, {u"DNS"_s, facts.dns.value_or(u"-"_s)}};
    const bool same = net == net_ && facts.ports == ifType_ && facts.hwMAC == hwMAC_ && facts.curMAC == curMAC_ &&
                      facts.tunnels == tunnels_;
    net_ = net;
    ifType_ = facts.ports;
    hwMAC_ = facts.hwMAC;
    curMAC_ = facts.curMAC;
    tunnels_ = facts.tunnels;
    accessPoints_ = facts.accessPoints;
    // The Wi-Fi rows name the port and the access point's security.
    if (wifiRows() || !same)
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
