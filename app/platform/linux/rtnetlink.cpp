#include "platform/linux/rtnetlink.h"

#include <QHash>

#include <cstddef>

using namespace Qt::StringLiterals;

namespace platform::rtnetlink {

namespace {

// Statistics structures have grown over kernel versions; only the leading byte counters are read, so an
// older, shorter structure still counts as complete.
std::optional<Counters> parseStatistics(netlink::Bytes payload) {
    const auto in = netlink::read<quint64>(payload, offsetof(rtnl_link_stats64, rx_bytes));
    const auto out = netlink::read<quint64>(payload, offsetof(rtnl_link_stats64, tx_bytes));
    if (!in || !out)
        return std::nullopt;
    return Counters{*in, *out};
}

QString dotted(netlink::Bytes address) {
    return u"%1.%2.%3.%4"_s.arg(uint(address[0])).arg(uint(address[1])).arg(uint(address[2])).arg(uint(address[3]));
}

} // namespace

std::optional<LinkInfo> parseLink(netlink::Bytes payload) {
    const auto header = netlink::read<ifinfomsg>(payload);
    if (!header)
        return std::nullopt;
    LinkInfo link;
    link.index = header->ifi_index;
    for (const netlink::Attribute& attribute : netlink::Attributes(netlink::after(payload, sizeof(ifinfomsg)))) {
        if (attribute.type == IFLA_IFNAME)
            link.name = attribute.text();
        else if (attribute.type == IFLA_STATS64)
            link.bytes = parseStatistics(attribute.payload);
    }
    if (link.name.isEmpty())
        return std::nullopt;
    return link;
}

std::optional<AddressInfo> parseAddress(netlink::Bytes payload) {
    const auto header = netlink::read<ifaddrmsg>(payload);
    if (!header || header->ifa_family != AF_INET)
        return std::nullopt;
    std::optional<netlink::Bytes> local;
    std::optional<netlink::Bytes> peer;
    for (const netlink::Attribute& attribute : netlink::Attributes(netlink::after(payload, sizeof(ifaddrmsg)))) {
        if (attribute.payload.size() != 4)
            continue;
        if (attribute.type == IFA_LOCAL)
            local = attribute.payload;
        else if (attribute.type == IFA_ADDRESS)
            peer = attribute.payload;
    }
    // On a point-to-point link IFA_ADDRESS is the far end; IFA_LOCAL is always this machine's own address.
    const std::optional<netlink::Bytes> own = local ? local : peer;
    if (!own)
        return std::nullopt;
    return AddressInfo{int(header->ifa_index), dotted(*own)};
}

Interfaces combine(const std::vector<LinkInfo>& links, const std::vector<AddressInfo>& addresses) {
    Interfaces result;
    QHash<int, QString> names;
    names.reserve(qsizetype(links.size()));
    for (const LinkInfo& link : links) {
        names.insert(link.index, link.name);
        if (link.bytes)
            result.bytes.insert(link.name, *link.bytes);
    }
    for (const AddressInfo& address : addresses) {
        const auto name = names.constFind(address.index);
        if (name != names.cend())
            result.ipv4.insert(*name, address.address);
    }
    return result;
}

Interfaces InterfaceReader::read() {
    std::vector<LinkInfo> links;
    netlink::Builder linkRequest(RTM_GETLINK, NLM_F_REQUEST | NLM_F_DUMP);
    linkRequest.append(ifinfomsg{});
    const int linkError = socket_.exchange(linkRequest, [&links](const netlink::Message& message) {
        if (message.type != RTM_NEWLINK)
            return;
        if (auto link = parseLink(message.payload))
            links.push_back(std::move(*link));
    });
    if (linkError != 0)
        return {};

    std::vector<AddressInfo> addresses;
    netlink::Builder addressRequest(RTM_GETADDR, NLM_F_REQUEST | NLM_F_DUMP);
    ifaddrmsg family{};
    family.ifa_family = AF_INET;
    addressRequest.append(family);
    const int addressError = socket_.exchange(addressRequest, [&addresses](const netlink::Message& message) {
        if (message.type != RTM_NEWADDR)
            return;
        if (auto address = parseAddress(message.payload))
            addresses.push_back(std::move(*address));
    });
    if (addressError != 0)
        return {};
    return combine(links, addresses);
}

} // namespace platform::rtnetlink
