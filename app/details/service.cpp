#include "details/service.h"

#include "platform/platform.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

Service service(const QString& iface, const QString& ip, const QStringList& tailscale,
                const std::optional<QString>& vpn) {
    if (tailscale.contains(ip))
        return {u"Tailscale"_s, u"point.3.connected.trianglepath.dotted"_s};
    if (in(ip, u"100.64.0.0", 10))
        return {u"CGNAT"_s, u"building.2"_s};
    if (platform::isZeroTier(iface))
        return {u"ZeroTier"_s, u"point.3.filled.connected.trianglepath.dotted"_s};
    if (in(ip, u"172.20.10.0", 28))
        return {u"hotspot iPhone"_s, u"personalhotspot"_s};
    if (platform::isTunnel(iface)) {
        if (ip == u"172.16.0.2")
            return {u"Cloudflare WARP"_s, u"cloud"_s};
        return {vpn.value_or(u"VPN"_s) + u" ("_s + iface + u')', u"lock.shield"_s};
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

std::optional<QString> vpnName(const QStringList& processes) {
    // Daemon names of the known VPN programs (kernel-trimmed to 15 characters), in order of preference.
    static const std::array<std::pair<QStringView, QStringView>, 6> known{{
        {u"nordvpnd", u"NordVPN"},
        {u"mullvad-daemon", u"Mullvad VPN"},
        {u"mullvad-vpn", u"Mullvad VPN"},
        {u"protonvpn", u"Proton VPN"},
        {u"warp-svc", u"Cloudflare WARP"},
        {u"wireguard", u"WireGuard"},
    }};
    for (const auto& [prefix, name] : known) {
        for (const QString& process : processes) {
            if (process.startsWith(prefix))
                return name.toString();
        }
    }
    return std::nullopt;
}

QString interfaceLabel(const QString& name, const QMap<QString, QString>& ifType) {
    const auto port = ifType.constFind(name);
    if (port == ifType.cend())
        return name;
    return name + u" ("_s + QString(*port).remove(u" 10/100/1000"_s) + u')';
}
