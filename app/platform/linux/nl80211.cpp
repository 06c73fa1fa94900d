#include "platform/linux/nl80211.h"

#include <cerrno>

namespace platform::nl80211 {

namespace {

constexpr std::chrono::seconds lookupPause{30};

} // namespace

std::optional<quint16> parseFamilyId(netlink::Bytes payload) {
    if (!netlink::read<genlmsghdr>(payload))
        return std::nullopt;
    for (const netlink::Attribute& attribute : netlink::Attributes(netlink::after(payload, GENL_HDRLEN))) {
        if (attribute.type == CTRL_ATTR_FAMILY_ID)
            return netlink::read<quint16>(attribute.payload);
    }
    return std::nullopt;
}

std::optional<WirelessInterface> parseInterface(netlink::Bytes payload) {
    if (!netlink::read<genlmsghdr>(payload))
        return std::nullopt;
    WirelessInterface result;
    for (const netlink::Attribute& attribute : netlink::Attributes(netlink::after(payload, GENL_HDRLEN))) {
        if (attribute.type == NL80211_ATTR_IFNAME)
            result.name = attribute.text();
        else if (attribute.type == NL80211_ATTR_IFTYPE)
            result.type = netlink::read<quint32>(attribute.payload).value_or(NL80211_IFTYPE_UNSPECIFIED);
        else if (attribute.type == NL80211_ATTR_SSID)
            result.ssid = decodeSsid(attribute.payload);
    }
    if (result.name.isEmpty())
        return std::nullopt;
    return result;
}

std::optional<QString> decodeSsid(netlink::Bytes bytes) {
    if (bytes.empty())
        return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<WirelessInterface> Client::interfaces() {
    std::vector<WirelessInterface> result;
    auto dump = request(NL80211_CMD_GET_INTERFACE, NLM_F_REQUEST | NLM_F_DUMP);
    if (!dump)
        return result;
    const int error = exchange(*dump, [&result](const netlink::Message& message) {
        const auto header = netlink::read<genlmsghdr>(message.payload);
        if (!header || header->cmd != NL80211_CMD_NEW_INTERFACE)
            return;
        if (auto interface = parseInterface(message.payload))
            result.push_back(std::move(*interface));
    });
    if (error != 0)
        result.clear();
    return result;
}

int Client::query(quint8 command, quint32 ifindex, bool dump, const std::function<void(netlink::Bytes)>& handle) {
    auto message = request(command, dump ? NLM_F_REQUEST | NLM_F_DUMP : NLM_F_REQUEST);
    if (!message)
        return ENOENT;
    message->attribute(NL80211_ATTR_IFINDEX, std::as_bytes(std::span(&ifindex, 1)));
    return exchange(*message, [&handle](const netlink::Message& m) { handle(m.payload); });
}

std::optional<netlink::Builder> Client::request(quint8 command, quint16 flags) {
    if (!family_ && !resolve())
        return std::nullopt;
    netlink::Builder builder(*family_, flags);
    genlmsghdr header{};
    header.cmd = command;
    header.version = 1;
    builder.append(header);
    return builder;
}

int Client::exchange(netlink::Builder& request, const netlink::Handler& handle) {
    const int error = socket_.exchange(request, handle);
    if (error != 0)
        family_.reset();
    return error;
}

bool Client::resolve() {
    const auto now = std::chrono::steady_clock::now();
    if (nextLookup_ && now < *nextLookup_)
        return false;
    netlink::Builder lookup(GENL_ID_CTRL, NLM_F_REQUEST);
    genlmsghdr header{};
    header.cmd = CTRL_CMD_GETFAMILY;
    header.version = 1;
    lookup.append(header);
    lookup.attribute(CTRL_ATTR_FAMILY_NAME, NL80211_GENL_NAME);
    std::optional<quint16> family;
    const int error = socket_.exchange(lookup, [&family](const netlink::Message& message) {
        if (message.type == GENL_ID_CTRL)
            family = parseFamilyId(message.payload);
    });
    if (error != 0 || !family || *family < NLMSG_MIN_TYPE) {
        nextLookup_ = now + lookupPause;
        return false;
    }
    family_ = family;
    nextLookup_.reset();
    return true;
}

} // namespace platform::nl80211

namespace platform {

namespace {

QString primaryName(const std::vector<nl80211::WirelessInterface>& wireless, const QString& defaultRoute,
                    const Interfaces& current) {
    for (const nl80211::WirelessInterface& interface : wireless) {
        if (current.ipv4.contains(interface.name))
            return interface.name;
    }
    if (!defaultRoute.isEmpty())
        return defaultRoute;
    if (!wireless.empty())
        return wireless.front().name;
    for (auto name = current.bytes.keyBegin(); name != current.bytes.keyEnd(); ++name) {
        if (isMeasured(*name))
            return *name;
    }
    return {};
}

} // namespace

Link choosePrimary(const std::vector<nl80211::WirelessInterface>& wireless, const QString& defaultRoute,
                   const Interfaces& current) {
    Link link;
    link.primary = primaryName(wireless, defaultRoute, current);
    for (const nl80211::WirelessInterface& interface : wireless) {
        if (!link.primary.isEmpty() && interface.name == link.primary) {
            link.wireless = true;
            link.ssid = interface.ssid;
            break;
        }
    }
    return link;
}

} // namespace platform
