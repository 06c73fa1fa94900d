#include "platform/linux/wifi_link.h"

#include <QtEndian>

#include <net/if.h>

#include <array>
#include <set>

namespace platform::wifi {

namespace {

using netlink::Attribute;
using netlink::Attributes;
using netlink::Bytes;

// Element ids and suite selectors of IEEE 802.11.
constexpr std::byte rsnElement{48};
constexpr std::byte vendorElement{221};
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
int legacyPhy(const WifiLink& link, double rate) {
    if (link.band == 2)
        return 1;
    if (link.band == 1) {
        static constexpr std::array<double, 4> bRates{1.0, 2.0, 5.5, 11.0};
        for (const double b : bRates) {
            if (rate == b)
                return 2;
        }
        return 3;
    }
    return 0;
}

void readRate(Bytes nested, WifiLink& link) {
    std::optional<double> rate;
    std::optional<int> htMcs;
    int phy = 0;
    for (const Attribute& a : Attributes(nested)) {
        switch (a.type) {
        case NL80211_RATE_INFO_BITRATE32:
            if (const auto v = netlink::read<quint32>(a.payload))
                rate = *v / 10.0;
            break;
        case NL80211_RATE_INFO_BITRATE:
            if (const auto v = netlink::read<quint16>(a.payload); v && !rate)
                rate = *v / 10.0;
            break;
        case NL80211_RATE_INFO_MCS:
            htMcs = netlink::read<quint8>(a.payload);
            phy = std::max(phy, 4);
            break;
        case NL80211_RATE_INFO_VHT_MCS:
        case NL80211_RATE_INFO_HE_MCS:
        case NL80211_RATE_INFO_EHT_MCS:
            if (const auto v = netlink::read<quint8>(a.payload))
                link.mcs = *v;
            phy = std::max(phy, a.type == NL80211_RATE_INFO_VHT_MCS ? 5 : a.type == NL80211_RATE_INFO_HE_MCS ? 6 : 7);
            break;
        case NL80211_RATE_INFO_VHT_NSS:
        case NL80211_RATE_INFO_HE_NSS:
        case NL80211_RATE_INFO_EHT_NSS:
            if (const auto v = netlink::read<quint8>(a.payload))
                link.nss = *v;
            break;
        default:
            break;
        }
    }
    if (htMcs && phy == 4) {
        // An 802.11n index counts eight modulations per spatial stream.
        link.mcs = *htMcs % 8;
        link.nss = *htMcs / 8 + 1;
    }
    if (!link.mcs || !link.nss) {
        link.mcs.reset();
        link.nss.reset();
    }
    link.txRate = rate.value_or(0);
    link.phy = phy != 0 ? phy : legacyPhy(link, link.txRate);
}

} // namespace

std::optional<int> channelOf(quint32 f) {
    if (f == 2484)
        return 14;
    if (f >= 2412 && f < 2484)
        return int(f - 2407) / 5;
    if (f == 5935)
        return 2;
    if (f > 5950 && f <= 7115)
        return int(f - 5950) / 5;
    if (f >= 4910 && f <= 5895)
        return int(f - 5000) / 5;
    return std::nullopt;
}

int bandOf(quint32 f) {
    if (f >= 2400 && f < 2500)
        return 1;
    if (f >= 4900 && f < 5925)
        return 2;
    if (f >= 5925 && f <= 7125)
        return 3;
    return 0;
}

int widthCode(quint32 width) {
    switch (width) {
    case NL80211_CHAN_WIDTH_20_NOHT:
    case NL80211_CHAN_WIDTH_20:
        return 1;
    case NL80211_CHAN_WIDTH_40:
        return 2;
    case NL80211_CHAN_WIDTH_80:
        return 3;
    case NL80211_CHAN_WIDTH_80P80:
    case NL80211_CHAN_WIDTH_160:
        return 4;
    default:
        return 0;
    }
}

int rsnSecurity(Bytes body) {
    // Version, group cipher, then the pairwise ciphers and the key-management suites, each a counted list.
    std::size_t at = 2 + 4;
    const auto pairwise = netlink::read<quint16>(body, at);
    if (!pairwise)
        return 9; // without a key-management list the standard's default, 802.1X, applies
    at += 2 + std::size_t(qFromLittleEndian(*pairwise)) * 4;
    const auto akmCount = netlink::read<quint16>(body, at);
    if (!akmCount)
        return 9;
    at += 2;
    std::set<int> akms;
    for (quint16 i = 0; i < qFromLittleEndian(*akmCount); ++i, at += 4) {
        const auto suite = netlink::read<std::array<std::byte, 4>>(body, at);
        if (!suite)
            return -1;
        if (!std::equal(ieeeOui.begin(), ieeeOui.end(), suite->begin()))
            return -1;
        akms.insert(std::to_integer<int>((*suite)[3]));
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
            return -1;
        }
    }
    if ((psk || sae) && (eap || eapStrong))
        return -1;
    if (psk && sae)
        return 13;
    if (sae)
        return 11;
    if (psk)
        return 4;
    if (eapStrong)
        return 12;
    if (eap)
        return 9;
    return -1;
}

int bssSecurity(Bytes elements, quint16 capability) {
    std::optional<int> rsn;
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
        at += 2 + length;
    }
    if (rsn)
        return *rsn;
    if (wpa)
        return 2; // WPA (first generation)
    if (capability & privacyCapability)
        return 1; // WEP
    return 0;
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
            else if (a.type == NL80211_BSS_STATUS)
                bss.associated = netlink::read<quint32>(a.payload) == quint32(NL80211_BSS_STATUS_ASSOCIATED);
            else if (a.type == NL80211_BSS_INFORMATION_ELEMENTS)
                elements = a.payload;
            else if (a.type == NL80211_BSS_CAPABILITY)
                capability = netlink::read<quint16>(a.payload).value_or(0);
        }
        if (bss.bssid.isEmpty())
            return std::nullopt;
        bss.security = bssSecurity(elements, capability);
        return bss;
    }
    return std::nullopt;
}

void readInterface(Bytes payload, WifiLink& link) {
    std::optional<quint32> width;
    for (const Attribute& a : genericAttributes(payload)) {
        if (a.type == NL80211_ATTR_IFNAME) {
            link.iface = a.text();
        } else if (a.type == NL80211_ATTR_SSID) {
            link.ssid = nl80211::decodeSsid(a.payload);
        } else if (a.type == NL80211_ATTR_WIPHY_FREQ) {
            if (const auto f = netlink::read<quint32>(a.payload)) {
                link.channel = channelOf(*f);
                link.band = bandOf(*f);
            }
        } else if (a.type == NL80211_ATTR_CHANNEL_WIDTH) {
            width = netlink::read<quint32>(a.payload);
        }
    }
    if (width)
        link.width = widthCode(*width);
}

void readStation(Bytes payload, WifiLink& link) {
    for (const Attribute& a : genericAttributes(payload)) {
        if (a.type == NL80211_ATTR_MAC && a.payload.size() == 6) {
            link.bssid = macText(a.payload);
        } else if (a.type == NL80211_ATTR_STA_INFO) {
            for (const Attribute& info : Attributes(a.payload)) {
                if (info.type == NL80211_STA_INFO_SIGNAL)
                    link.rssi = signedByte(info.payload);
                else if (info.type == NL80211_STA_INFO_TX_BITRATE)
                    readRate(info.payload, link);
            }
        }
    }
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

std::optional<WifiLink> readLink(nl80211::Client& client) {
    for (const nl80211::WirelessInterface& wireless : client.interfaces()) {
        if (wireless.type != NL80211_IFTYPE_STATION)
            continue;
        const quint32 index = if_nametoindex(wireless.name.toLocal8Bit().constData());
        if (index == 0)
            continue; // gone since the dump
        WifiLink link;
        link.iface = wireless.name;
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
    return std::nullopt;
}

QMap<QString, int> readSecurity(nl80211::Client& client) {
    QMap<QString, int> result;
    for (const nl80211::WirelessInterface& wireless : client.interfaces()) {
        const quint32 index = if_nametoindex(wireless.name.toLocal8Bit().constData());
        if (index == 0 || !wireless.ssid)
            continue;
        client.query(NL80211_CMD_GET_SCAN, index, true, [&result](Bytes p) {
            if (const auto bss = parseBss(p); bss && bss->associated)
                result.insert(bss->bssid, bss->security);
        });
    }
    return result;
}

} // namespace platform::wifi
