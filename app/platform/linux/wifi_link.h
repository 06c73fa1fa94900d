#pragma once

#include "platform/linux/netlink.h"
#include "platform/linux/nl80211.h"
#include "platform/platform.h"

#include <optional>

// The Wi-Fi link's details from nl80211 replies, mapped to the codes of platform::WifiLink.
namespace platform::wifi {

// Channel number, band code and width code of a frequency (MHz) and an nl80211 channel width.
std::optional<int> channelOf(quint32 frequency);
int bandOf(quint32 frequency);
int widthCode(quint32 nl80211Width);

// Security code of an RSN element's body (after its id and length); -1 for kinds outside the table.
int rsnSecurity(netlink::Bytes body);
// Security code of a whole information-element list and the BSS capability bits.
int bssSecurity(netlink::Bytes elements, quint16 capability);

// What one access point of a scan dump says about itself.
struct Bss {
    QString bssid;
    bool associated = false;
    int security = 0;
};

// The payload of one NL80211_CMD_NEW_SCAN_RESULTS message; nothing without a BSS or a 6-byte BSSID.
std::optional<Bss> parseBss(netlink::Bytes payload);

// Fills `link` from one NL80211_CMD_NEW_INTERFACE payload (name, SSID, channel, width).
void readInterface(netlink::Bytes payload, WifiLink& link);
// Fills `link` from one NL80211_CMD_NEW_STATION payload (BSSID, signal, transmit rate, PHY, MCS and NSS).
void readStation(netlink::Bytes payload, WifiLink& link);
// The noise (dBm) of an NL80211_CMD_NEW_SURVEY_RESULTS payload when it describes the channel in use.
std::optional<int> surveyNoise(netlink::Bytes payload);

// The first Wi-Fi interface's link; absent without one.
std::optional<WifiLink> readLink(nl80211::Client& client);
// Security codes of the access points the Wi-Fi interfaces are associated with, by BSSID.
QMap<QString, int> readSecurity(nl80211::Client& client);

} // namespace platform::wifi
