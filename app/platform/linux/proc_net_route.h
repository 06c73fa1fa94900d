#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The routing tables as /proc/net/route and /proc/net/ipv6_route print them.
namespace platform::routes {

// One line of the table. Addresses are in host order (192.168.0.1 is 0xC0A80001).
struct Route {
    QString iface;
    quint32 destination = 0;
    quint32 gateway = 0;
    quint32 flags = 0; // RTF_* bits
    quint32 metric = 0;
    quint32 mask = 0;

    bool operator==(const Route&) const = default;
};

// The routes in the file's text; the header and any line that does not parse are skipped.
std::vector<Route> parse(QByteArrayView text);

// The usable default route with the lowest metric (the first of equals), if any.
std::optional<Route> defaultRoute(const std::vector<Route>& routes);

// One line of the IPv6 table.
struct Route6 {
    QString iface;
    int prefix = 0;                   // of the destination
    std::array<quint8, 16> gateway{}; // all zero without a gateway
    quint32 flags = 0;                // RTF_* bits
    quint32 metric = 0;

    bool operator==(const Route6&) const = default;
};

std::vector<Route6> parse6(QByteArrayView text);
std::optional<Route6> defaultRoute6(const std::vector<Route6>& routes);

inline constexpr char ipv4Table[] = "route";
inline constexpr char ipv6Table[] = "ipv6_route";

// One of the kernel's tables, from the network namespace the calling thread is in at the first reading: the
// file stays open, as the netlink sockets do, and is read again from its start each time.
class SystemTable {
public:
    explicit SystemTable(const char* name = ipv4Table);
    ~SystemTable();
    SystemTable(const SystemTable&) = delete;
    SystemTable& operator=(const SystemTable&) = delete;

    // The table's text; empty when the file cannot be read. Valid until the next reading.
    QByteArrayView text();

private:
    void close();

    QByteArray path_;
    int fd_ = -1;
    QByteArray text_;
};

} // namespace platform::routes
