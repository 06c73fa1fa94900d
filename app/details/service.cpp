#include "details/service.h"

#include "platform/platform.h"

#include <array>

using namespace Qt::StringLiterals;

Service service(const QString& iface, const QString& ip, const QStringList& tailscale,
                const QMap<QString, QString>& tunnels) {
    if (tailscale.contains(ip))
        return {u"Tailscale"_s, u"point.3.connected.trianglepath.dotted"_s};
    if (in(ip, u"100.64.0.0", 10))
        return {u"CGNAT"_s, u"building.2"_s};
    if (platform::isZeroTier(iface))
        return {u"ZeroTier"_s, u"point.3.filled.connected.trianglepath.dotted"_s};
    if (in(ip, u"172.20.10.0", 28))
        return {u"hotspot iPhone"_s, u"personalhotspot"_s};
    const auto tunnel = tunnels.constFind(iface);
    if (tunnel != tunnels.cend() || platform::isTunnel(iface)) {
        if (ip == u"172.16.0.2")
            return {u"Cloudflare WARP"_s, u"cloud"_s};
        const QString program = tunnel != tunnels.cend() && !tunnel->isEmpty() ? *tunnel : u"VPN"_s;
        return {program + u" ("_s + iface + u')', u"lock.shield"_s};
    }
    if (ip.contains(u':')) {
        if (ip.toLower().startsWith(u"fd"))
            return {u"LAN (ULA)"_s, u"house"_s};
        return {u"publiczny"_s, u"globe"_s};
    }
    if (in(ip, u"10.0.0.0", 8) || in(ip, u"172.16.0.0", 12) || in(ip, u"192.168.0.0", 16))
        return {u"LAN"_s, u"house"_s};
    return {u"publiczny"_s, u"globe"_s};
}

std::optional<quint32> ipv4Value(QStringView text) {
    std::array<quint32, 4> parts{};
    int count = 0;
    for (const QStringView piece : text.split(u'.', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint value = piece.toUInt(&ok);
        if (!ok)
            continue;
        if (count == 4)
            return std::nullopt;
        parts[count++] = value;
    }
    if (count != 4)
        return std::nullopt;
    for (const quint32 part : parts) {
        if (part > 255)
            return std::nullopt;
    }
    return parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
}

bool in(QStringView ip, QStringView net, quint32 bits) {
    const auto a = ipv4Value(ip);
    const auto b = ipv4Value(net);
    if (!a || !b)
        return false;
    if (bits == 0)
        return true;
    const quint32 mask = bits >= 32 ? 0xFFFFFFFFu : ~0u << (32 - bits);
    return (*a & mask) == (*b & mask);
}

QString interfaceLabel(const QString& name, const QMap<QString, QString>& ifType) {
    const auto port = ifType.constFind(name);
    if (port == ifType.cend())
        return name;
    return name + u" ("_s + QString(*port).remove(u" 10/100/1000"_s) + u')';
}
