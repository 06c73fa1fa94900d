#pragma once

#include "platform/linux/netlink.h"
#include "platform/linux/nl80211.h"
#include "platform/platform.h"

#include <optional>

// The Wi-Fi link's details from nl80211 replies.
namespace platform::wifi {

// Channel number, band and width of a frequency (MHz) and an nl80211 channel width.
std::optional<int> channelOf(quint32 frequency);
WifiBand bandOf(quint32 frequency);
WifiWidth widthOf(quint32 nl80211Width);

// Security of an RSN element's body (after its id and length); absent when the element is malformed.
std::optional<WifiSecurity> rsnSecurity(netlink::Bytes body);
// What a whole information-element list and the BSS capability bits say about the access point.
AccessPoint accessPointOf(netlink::Bytes elements, quint16 capability);

// What one access point of a scan dump says about itself.
struct Bss {
    QString bssid;
    std::optional<QString> mld; // the access point's MLD address, on a multi-link association
    bool associated = false;
    AccessPoint point;
};

// The payload of one NL80211_CMD_NEW_SCAN_RESULTS message; nothing without a BSS or a 6-byte BSSID.
std::optional<Bss> parseBss(netlink::Bytes payload);

// Fills `link` from one NL80211_CMD_NEW_INTERFACE payload (name, SSID, channel, width; on a multi-link
// association those of its first link).
void readInterface(netlink::Bytes payload, WifiLink& link);
// Fills `link` from one NL80211_CMD_NEW_STATION payload (BSSID, signal, transmit rate, PHY, MCS and NSS). The
// PHY is the newer of the two directions' last rates, since either may be a legacy management rate.
void readStation(netlink::Bytes payload, WifiLink& link);
// The noise (dBm) of an NL80211_CMD_NEW_SURVEY_RESULTS payload when it describes the channel in use.
std::optional<int> surveyNoise(netlink::Bytes payload);

// The station interface to describe: the first associated one, else the first one; null without any.
const nl80211::WirelessInterface* chooseStation(const std::vector<nl80211::WirelessInterface>& interfaces);

// The chosen station interface's link; absent without one.
std::optional<WifiLink> readLink(nl80211::Client& client);
// The access points the Wi-Fi interfaces are associated with, by BSSID and by MLD address.
QMap<QString, AccessPoint> readAccessPoints(nl80211::Client& client);

} // namespace platform::wifi
