#pragma once

#include "platform/linux/netlink.h"
#include "platform/platform.h"

#include <optional>
#include <vector>

#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

// Interface names, byte counters and IPv4 addresses from the route netlink family. Unlike /sys, the socket
// sees the network namespace it was opened in.
namespace platform::rtnetlink {

// One RTM_NEWLINK message.
struct LinkInfo {
    int index = 0;
    QString name;
    std::optional<Counters> bytes; // absent when the message carries no complete 64-bit statistics
};

// One RTM_NEWADDR message of the IPv4 family.
struct AddressInfo {
    int index = 0;
    QString address; // dotted text
};

// The payload of an RTM_NEWLINK message; nothing when it has no interface header or no name.
std::optional<LinkInfo> parseLink(netlink::Bytes payload);

// The payload of an RTM_NEWADDR message; nothing when it is not IPv4 or has no 4-byte address.
std::optional<AddressInfo> parseAddress(netlink::Bytes payload);

// Joins the two dumps: counters by interface name, and each address under the name of its interface, the
// last one listed winning. A link without counters is left out of `bytes` rather than reported as zero,
// which would read as a reset.
Interfaces combine(const std::vector<LinkInfo>& links, const std::vector<AddressInfo>& addresses);

// Reads the interfaces over one route netlink socket kept open between readings.
class InterfaceReader {
public:
    // Empty maps when the kernel cannot be asked or its reply is unusable.
    Interfaces read();

private:
    netlink::Socket socket_{NETLINK_ROUTE};
};

} // namespace platform::rtnetlink
