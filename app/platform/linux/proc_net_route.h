#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The IPv4 routing table as /proc/net/route prints it.
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

// The kernel's table, from the network namespace the calling thread is in at the first reading: the file
// stays open, as the netlink sockets do, and is read again from its start each time.
class SystemTable {
public:
    SystemTable() = default;
    ~SystemTable();
    SystemTable(const SystemTable&) = delete;
    SystemTable& operator=(const SystemTable&) = delete;

    // Empty when the file cannot be read.
    std::vector<Route> read();

private:
    void close();

    int fd_ = -1;
    QByteArray text_;
};

} // namespace platform::routes
