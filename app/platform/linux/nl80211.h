#pragma once

#include "platform/linux/netlink.h"
#include "platform/platform.h"

#include <chrono>
#include <optional>
#include <vector>

#include <linux/genetlink.h>
#include <linux/nl80211.h>

// Wi-Fi facts from the nl80211 generic netlink family, read without privileges and without libnl.
namespace platform::nl80211 {

// One interface of an NL80211_CMD_GET_INTERFACE dump.
struct WirelessInterface {
    QString name;
    quint32 type = NL80211_IFTYPE_UNSPECIFIED;
    std::optional<QString> ssid; // while associated (or serving, for an access point); never empty
};

// The family id in the controller's answer to CTRL_CMD_GETFAMILY (its payload).
std::optional<quint16> parseFamilyId(netlink::Bytes payload);

// The payload of one NL80211_CMD_NEW_INTERFACE message; nothing when the interface has no network device.
std::optional<WirelessInterface> parseInterface(netlink::Bytes payload);

// A network name: raw bytes read as UTF-8 with invalid sequences replaced; nothing when empty.
std::optional<QString> decodeSsid(netlink::Bytes bytes);

// Talks to nl80211 over one generic netlink socket. The family id is looked up once and kept; after a failed
// lookup (a kernel without nl80211) the next one waits 30 seconds.
class Client {
public:
    // The wireless interfaces in the kernel's order; empty without Wi-Fi or when they cannot be read.
    std::vector<WirelessInterface> interfaces();
    // Sends `command` about one interface (a dump when `dump` is set) and hands each reply message's
    // payload to `handle`. Returns 0 or the errno of the failure, ENOENT while the family is unknown.
    int query(quint8 command, quint32 ifindex, bool dump, const std::function<void(netlink::Bytes)>& handle);

private:
    // A request of the family with its generic header, or nothing while the family is unknown.
    std::optional<netlink::Builder> request(quint8 command, quint16 flags);
    // Sends a request made by `request`; after a failure the family is looked up again, in case it was
    // unloaded or renumbered.
    int exchange(netlink::Builder& request, const netlink::Handler& handle);
    bool resolve();

    netlink::Socket socket_{NETLINK_GENERIC};
    std::optional<quint16> family_;
    std::optional<std::chrono::steady_clock::time_point> nextLookup_;
};

} // namespace platform::nl80211

namespace platform {

// The interface that stands for the machine's network: the first wireless interface with an IPv4 address,
// else the default route's interface, else the first wireless interface, else the first measured interface
// of `current`, else none.
Link choosePrimary(const std::vector<nl80211::WirelessInterface>& wireless, const QString& defaultRoute,
                   const Interfaces& current);

} // namespace platform
