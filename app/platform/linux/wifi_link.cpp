#include "platform/linux/wifi_link.h"

#include <QtEndian>

#include <net/if.h>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

namespace platform::wifi {

namespace {

using netlink::Attribute;
using netlink::Attributes;
using netlink::Bytes;

// Element ids and suite selectors of IEEE 802.11.
constexpr std::byte htCapabilities{45};
constexpr std::byte rsnElement{48};
constexpr std::byte vhtCapabilities{191};
constexpr std::byte vendorElement{221};
constexpr std::byte extensionElement{255};
constexpr std::byte heCapabilities{35};   // extension id
constexpr std::byte ehtCapabilities{108}; // extension id
constexpr std::array<std::byte, 3> ieeeOui{std::byte{0x00}, std::byte{0x0f}, std::byte{0xac}};
constexpr std::array<std::byte, 4> wpaVendorType{std::byte{0x00}, std::byte{0x50}, std::byte{0xf2}, std::byte{0x01}};
constexpr quint16 privacyCapability = 0x0010;

Attributes genericAttributes(Bytes payload) {
    if (!netlink::read<genlmsghdr>(payload))
        return Attributes(Bytes());
    return Attributes(netlink::after(payload, GENL_HDRLEN));
}

QString macText(Bytes bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    QString text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += u':';
        const auto value = std::to_integer<unsigned>(bytes[i]);
        text += QLatin1Char(digits[value >> 4]);
        text += QLatin1Char(digits[value & 0xf]);
    }
    return text;
}

std::optional<int> signedByte(Bytes payload) {
    if (const auto value = netlink::read<qint8>(payload))
        return int(*value);
    return std::nullopt;
}

// Radio standard of a legacy (non-MCS) rate: 802.11b rates only on 2.4 GHz are b, else g; 5 GHz is a.
WifiPhy legacyPhy(WifiBand band, double rate) {
    switch (band) {
    case WifiBand::GHz2_4: {
        static constexpr std::array<double, 4> bRates{1.0, 2.0, 5.5, 11.0};
        return std::find(bRates.begin(), bRates.end(), rate) != bRates.end() ? WifiPhy::B : WifiPhy::G;
    }
    case WifiBand::GHz5:
        return WifiPhy::A;
    case WifiBand::GHz6:
    case WifiBand::Unknown:
        break;
    }
    return WifiPhy::Unknown;
}

// One NL80211_STA_INFO_*_BITRATE nest.
struct Rate {
    std::optional<double> mbits;
    WifiPhy family = WifiPhy::Unknown; // the MCS family; Unknown for a legacy rate
    std::optional<int> mcs;
    std::optional<int> nss;
};

Rate readRate(Bytes nested) {
    Rate r;
    std::optional<int> htMcs;
    for (const Attribute& a : Attributes(nested)) {
        switch (a.type) {
        case NL80211_RATE_INFO_BITRATE32:
            if (const auto v = netlink::read<quint32>(a.payload))
                r.mbits = *v / 10.0;
            break;
        case NL80211_RATE_INFO_BITRATE:
            if (const auto v = netlink::read<quint16>(a.payload); v && !r.mbits)
                r.mbits = *v / 10.0;
            break;
        case NL80211_RATE_INFO_MCS:
            htMcs = netlink::read<quint8>(a.payload);
            r.family = std::max(r.family, WifiPhy::N);
            break;
        case NL80211_RATE_INFO_VHT_MCS:
        case NL80211_RATE_INFO_HE_MCS:
        case NL80211_RATE_INFO_EHT_MCS:
            if (const auto v = netlink::read<quint8>(a.payload))
                r.mcs = *v;
            r.family = std::max(r.family, a.type == NL80211_RATE_INFO_VHT_MCS  ? WifiPhy::AC
                                          : a.type == NL80211_RATE_INFO_HE_MCS ? WifiPhy::AX
                                                                               : WifiPhy::BE);
            break;
        case NL80211_RATE_INFO_VHT_NSS:
        case NL80211_RATE_INFO_HE_NSS:
        case NL80211_RATE_INFO_EHT_NSS:
            if (const auto v = netlink::read<quint8>(a.payload))
                r.nss = *v;
            break;
        default:
            break;
        }
    }
    if (htMcs && r.family == WifiPhy::N) {
        // An 802.11n index counts eight modulations per spatial stream.
        r.mcs = *htMcs % 8;
        r.nss = *htMcs / 8 + 1;
    }
    if (!r.mcs || !r.nss) {
        r.mcs.reset();
        r.nss.reset();
    }
    return r;
}

// Frequency and width of a channel description (the interface's, or one link's of a multi-link one).
void readChannel(Attributes attributes, WifiLink& link) {
    for (const Attribute& a : attributes) {
        if (a.type == NL80211_ATTR_WIPHY_FREQ) {
            if (const auto f = netlink::read<quint32>(a.payload)) {
                link.channel = channelOf(*f);
                link.band = bandOf(*f);
            }
        } else if (a.type == NL80211_ATTR_CHANNEL_WIDTH) {
            if (const auto w = netlink::read<quint32>(a.payload))
                link.width = widthOf(*w);
        }
    }
}

// A counted list of 4-byte suites at `at`: advances past it, or fails when the body ends inside it.
std::optional<std::vector<std::array<std::byte, 4>>> suites(Bytes body, std::size_t& at) {
    const auto count = netlink::read<quint16>(body, at);
    if (!count)
        return std::nullopt;
    at += 2;
    std::vector<std::array<std::byte, 4>> list;
    for (quint16 i = 0; i < qFromLittleEndian(*count); ++i, at += 4) {
        const auto suite = netlink::read<std::array<std::byte, 4>>(body, at);
        if (!suite)
            return std::nullopt;
        list.push_back(*suite);
    }
    return list;
}

} // namespace

std::optional<int> channelOf(quint32 f) {
    if (f == 2484)
        return 14;
    if (f >= 2412 && f < 2484)
        return int(f - 2407) / 5;
    // The 4.9 GHz channels are counted from 4 GHz, the 5 GHz ones from 5 GHz.
    if (f >= 4910 && f <= 4980)
        return int(f - 4000) / 5;
    if (f >= 5000 && f < 5925)
        return int(f - 5000) / 5;
    if (f == 5935)
        return 2;
    if (f > 5950 && f <= 7115)
        return int(f - 5950) / 5;
    return std::nullopt;
}

WifiBand bandOf(quint32 f) {
    if (f >= 2400 && f < 2500)
        return WifiBand::GHz2_4;
    if (f >= 4900 && f < 5925)
        return WifiBand::GHz5;
    if (f >= 5925 && f <= 7125)
        return WifiBand::GHz6;
    return WifiBand::Unknown;
}

WifiWidth widthOf(quint32 width) {
    switch (width) {
    case NL80211_CHAN_WIDTH_20_NOHT:
    case NL80211_CHAN_WIDTH_20:
        return WifiWidth::MHz20;
    case NL80211_CHAN_WIDTH_40:
        return WifiWidth::MHz40;
    case NL80211_CHAN_WIDTH_80:
        return WifiWidth::MHz80;
    case NL80211_CHAN_WIDTH_80P80:
    case NL80211_CHAN_WIDTH_160:
        return WifiWidth::MHz160;
    default:
        return WifiWidth::Unknown;
    }
}

std::optional<WifiSecurity> rsnSecurity(Bytes body) {
    // Version, group cipher, then the pairwise ciphers and the key managements, each a counted list. The
    // fields after the version may be left out from the end; the key management then defaults to 802.1X.
    // A field cut in the middle is a malformed element.
    if (body.size() < 2)
        return std::nullopt;
    std::size_t at = 2;
    std::set<int> akms{1};
    if (at < body.size()) {
        at += 4;
        if (at > body.size())
            return std::nullopt;
        if (at < body.size()) {
            if (!suites(body, at))
                return std::nullopt;
            if (at < body.size()) {
                const auto list = suites(body, at);
                if (!list)
                    return std::nullopt;
                akms.clear();
                for (const auto& suite : *list) {
                    if (!std::equal(ieeeOui.begin(), ieeeOui.end(), suite.begin()))
                        return WifiSecurity::Other;
                    akms.insert(std::to_integer<int>(suite[3]));
                }
            }
        }
    }
    bool psk = false;
    bool sae = false;
    bool eap = false;
    bool eapStrong = false;
    for (const int akm : akms) {
        switch (akm) {
        case 2: // PSK
        case 4: // FT-PSK
        case 6: // PSK-SHA256
            psk = true;
            break;
        case 8:  // SAE
        case 9:  // FT-SAE
        case 24: // SAE with extended key
        case 25: // FT-SAE with extended key
            sae = true;
            break;
        case 1: // 802.1X
        case 3: // FT-802.1X
            eap = true;
            break;
        case 5:  // 802.1X-SHA256
        case 11: // Suite-B
        case 12: // Suite-B-192
        case 13: // FT-802.1X-SHA384
            eapStrong = true;
            break;
        default:
            return WifiSecurity::Other;
        }
    }
    if ((psk || sae) && (eap || eapStrong))
        return WifiSecurity::Other;
    if (psk && sae)
        return WifiSecurity::WPA2WPA3;
    if (sae)
        return WifiSecurity::WPA3Personal;
    if (psk)
        return WifiSecurity::WPA2Personal;
    // Plain 802.1X beside the stronger suites is the enterprise transition mode: WPA2 clients get in.
    if (eap)
        return WifiSecurity::WPA2Enterprise;
    if (eapStrong)
        return WifiSecurity::WPA3Enterprise;
    return WifiSecurity::Other;
}

AccessPoint accessPointOf(Bytes elements, quint16 capability) {
    AccessPoint point;
    std::optional<std::optional<WifiSecurity>> rsn;
    bool wpa = false;
    std::size_t at = 0;
    while (at + 2 <= elements.size()) {
        const std::byte id = elements[at];
        const std::size_t length = std::to_integer<std::size_t>(elements[at + 1]);
        if (at + 2 + length > elements.size())
            break;
        const Bytes body = elements.subspan(at + 2, length);
        if (id == rsnElement && !rsn)
            rsn = rsnSecurity(body);
        else if (id == vendorElement && length >= 4 &&
                 std::equal(wpaVendorType.begin(), wpaVendorType.end(), body.begin()))
            wpa = true;
        else if (id == htCapabilities)
            point.phy = std::max(point.phy, WifiPhy::N);
        else if (id == vhtCapabilities)
            point.phy = std::max(point.phy, WifiPhy::AC);
        else if (id == extensionElement && length >= 1 && body[0] == heCapabilities)
            point.phy = std::max(point.phy, WifiPhy::AX);
        else if (id == extensionElement && length >= 1 && body[0] == ehtCapabilities)
            point.phy = std::max(point.phy, WifiPhy::BE);
        at += 2 + length;
    }
    if (rsn && wpa)
        point.security = *rsn ? std::optional(WifiSecurity::WPAMixed) : std::nullopt;
    else if (rsn)
        point.security = *rsn;
    else if (wpa)
        point.security = WifiSecurity::WPA;
    else
        point.security = capability & privacyCapability ? WifiSecurity::WEP : WifiSecurity::Open;
    return point;
}

std::optional<Bss> parseBss(Bytes payload) {
    for (const Attribute& top : genericAttributes(payload)) {
        if (top.type != NL80211_ATTR_BSS)
            continue;
        Bss bss;
        Bytes elements;
        quint16 capability = 0;
        for (const Attribute& a : Attributes(top.payload)) {
            if (a.type == NL80211_BSS_BSSID && a.payload.size() == 6)
                bss.bssid = macText(a.payload);
            else if (a.type == NL80211_BSS_MLD_ADDR && a.payload.size() == 6)
                bss.mld = macText(a.payload);
            else if (a.type == NL80211_BSS_STATUS)
                bss.associated = netlink::read<quint32>(a.payload) == quint32(NL80211_BSS_STATUS_ASSOCIATED);
            else if (a.type == NL80211_BSS_INFORMATION_ELEMENTS)
                elements = a.payload;
            else if (a.type == NL80211_BSS_CAPABILITY)
                capability = netlink::read<quint16>(a.payload).value_or(0);
        }
        if (bss.bssid.isEmpty())
            return std::nullopt;
        bss.point = accessPointOf(elements, capability);
        return bss;
    }
    return std::nullopt;
}

void readInterface(Bytes payload, WifiLink& link) {
    for (const Attribute& a : genericAttributes(payload)) {
        if (a.type == NL80211_ATTR_IFNAME) {
            link.iface = a.text();
        } else if (a.type == NL80211_ATTR_SSID) {
            link.ssid = nl80211::decodeSsid(a.payload);
        } else if (a.type == NL80211_ATTR_MLO_LINKS && !link.channel) {
            // A multi-link association has no channel of its own; each link nest carries one.
            for (const Attribute& each : Attributes(a.payload)) {
                readChannel(Attributes(each.payload), link);
                if (link.channel)
                    break;
            }
        }
    }
    readChannel(genericAttributes(payload), link);
}

void readStation(Bytes payload, WifiLink& link) {
    std::optional<Rate> tx;
    std::optional<Rate> rx;
    for (const Attribute& a : genericAttributes(payload)) {
        if (a.type == NL80211_ATTR_MAC && a.payload.size() == 6) {
            link.bssid = macText(a.payload);
        } else if (a.type == NL80211_ATTR_STA_INFO) {
            for (const Attribute& info : Attributes(a.payload)) {
                if (info.type == NL80211_STA_INFO_SIGNAL)
                    link.rssi = signedByte(info.payload);
                else if (info.type == NL80211_STA_INFO_TX_BITRATE)
                    tx = readRate(info.payload);
                else if (info.type == NL80211_STA_INFO_RX_BITRATE)
                    rx = readRate(info.payload);
            }
        }
    }
    if (tx) {
        link.txRate = tx->mbits.value_or(0);
        link.mcs = tx->mcs;
        link.nss = tx->nss;
    }
    link.phy = std::max(tx ? tx->family : WifiPhy::Unknown, rx ? rx->family : WifiPhy::Unknown);
    if (link.phy == WifiPhy::Unknown && tx)
        link.phy = legacyPhy(link.band, link.txRate);
}

std::optional<int> surveyNoise(Bytes payload) {
    for (const Attribute& a : genericAttributes(payload)) {
        if (a.type != NL80211_ATTR_SURVEY_INFO)
            continue;
        bool inUse = false;
        std::optional<int> noise;
        for (const Attribute& info : Attributes(a.payload)) {
            if (info.type == NL80211_SURVEY_INFO_IN_USE)
                inUse = true;
            else if (info.type == NL80211_SURVEY_INFO_NOISE)
                noise = signedByte(info.payload);
        }
        if (inUse)
            return noise;
    }
    return std::nullopt;
}

const nl80211::WirelessInterface* chooseStation(const std::vector<nl80211::WirelessInterface>& interfaces) {
    const nl80211::WirelessInterface* first = nullptr;
    for (const nl80211::WirelessInterface& wireless : interfaces) {
        if (wireless.type != NL80211_IFTYPE_STATION)
            continue;
        if (wireless.ssid)
            return &wireless;
        if (!first)
            first = &wireless;
    }
    return first;
}

std::optional<WifiLink> readLink(nl80211::Client& client) {
    const auto interfaces = client.interfaces();
    const nl80211::WirelessInterface* station = chooseStation(interfaces);
    if (!station)
        return std::nullopt;
    WifiLink link;
    link.iface = station->name;
    const quint32 index = if_nametoindex(station->name.toLocal8Bit().constData());
    if (index == 0)
        return link; // gone since the dump
    client.query(NL80211_CMD_GET_INTERFACE, index, false, [&link](Bytes p) { readInterface(p, link); });
    if (link.ssid) {
        client.query(NL80211_CMD_GET_STATION, index, true, [&link](Bytes p) { readStation(p, link); });
        client.query(NL80211_CMD_GET_SURVEY, index, true, [&link](Bytes p) {
            if (const auto noise = surveyNoise(p))
                link.noise = noise;
        });
    }
    return link;
}

QMap<QString, AccessPoint> readAccessPoints(nl80211::Client& client) {
    QMap<QString, AccessPoint> result;
    for (const nl80211::WirelessInterface& wireless : client.interfaces()) {
        const quint32 index = if_nametoindex(wireless.name.toLocal8Bit().constData());
        if (index == 0 || !wireless.ssid)
            continue;
        client.query(NL80211_CMD_GET_SCAN, index, true, [&result](Bytes p) {
            const auto bss = parseBss(p);
            if (!bss || !bss->associated)
                return;
            result.insert(bss->bssid, bss->point);
            // The station of a multi-link association is known by the access point's MLD address.
            if (bss->mld)
                result.insert(*bss->mld, bss->point);
        });
    }
    return result;
}

} // namespace platform::wifi
