#include "platform/linux/proc_net_route.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include <fcntl.h>
#include <linux/route.h>
#include <unistd.h>

namespace platform::routes {

namespace {

// Columns: Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT.
constexpr int ifaceColumn = 0;
constexpr int destinationColumn = 1;
constexpr int gatewayColumn = 2;
constexpr int flagsColumn = 3;
constexpr int metricColumn = 6;
constexpr int maskColumn = 7;
constexpr int neededColumns = 8;

constexpr qsizetype initialRead = 4096;
constexpr qsizetype largestRead = 1024 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The first `count` blank-separated fields of a line; fewer when the line has fewer.
template <std::size_t N> int split(QByteArrayView line, std::array<QByteArrayView, N>& fields) {
    int count = 0;
    qsizetype at = 0;
    while (count < int(N)) {
        while (at < line.size() && isBlank(line[at]))
            ++at;
        const qsizetype start = at;
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        if (at == start)
            break;
        fields[std::size_t(count++)] = line.sliced(start, at - start);
    }
    return count;
}

// Calls `take` with each line of `text`.
template <typename F> void eachLine(QByteArrayView text, F take) {
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        take(end < 0 ? text : text.first(end));
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
    }
}

template <typename T> std::optional<T> number(QByteArrayView field, int base) {
    T value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, base);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

// The kernel prints each network-order address as a host integer, so its bytes in memory are the address.
std::optional<quint32> address(QByteArrayView field) {
    const auto raw = number<quint32>(field, 16);
    if (!raw || field.size() != 8)
        return std::nullopt;
    return qFromBigEndian(*raw);
}

std::optional<Route> parseLine(QByteArrayView line) {
    std::array<QByteArrayView, neededColumns> fields;
    if (split(line, fields) < neededColumns)
        return std::nullopt;

    const auto destination = address(fields[destinationColumn]);
    const auto gateway = address(fields[gatewayColumn]);
    const auto mask = address(fields[maskColumn]);
    const auto flags = number<quint32>(fields[flagsColumn], 16);
    // The metric is unsigned but printed with %d, so large ones appear negative.
    const auto metric = number<qint64>(fields[metricColumn], 10);
    if (!destination || !gateway || !mask || !flags || !metric || *metric < INT32_MIN || *metric > UINT32_MAX)
        return std::nullopt;
    return Route{QString::fromUtf8(fields[ifaceColumn]), *destination, *gateway, *flags, quint32(*metric), *mask};
}

// 32 hexadecimal digits, the address in network order.
std::optional<std::array<quint8, 16>> address6(QByteArrayView field) {
    if (field.size() != 32)
        return std::nullopt;
    std::array<quint8, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = number<quint8>(field.sliced(qsizetype(2 * i), 2), 16);
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}

// Columns: destination, its prefix length, source, its prefix length, next hop, metric, references, use,
// flags, device; all numbers hexadecimal.
std::optional<Route6> parseLine6(QByteArrayView line) {
    std::array<QByteArrayView, 10> fields;
    if (split(line, fields) < 10)
        return std::nullopt;
    const auto destination = address6(fields[0]);
    const auto prefix = number<quint8>(fields[1], 16);
    const auto gateway = address6(fields[4]);
    const auto metric = number<quint32>(fields[5], 16);
    const auto flags = number<quint32>(fields[8], 16);
    if (!destination || !prefix || *prefix > 128 || !gateway || !metric || !flags)
        return std::nullopt;
    return Route6{QString::fromUtf8(fields[9]), *prefix, *gateway, *flags, *metric};
}

} // namespace

std::vector<Route> parse(QByteArrayView text) {
    std::vector<Route> routes;
    eachLine(text, [&routes](QByteArrayView line) {
        if (auto route = parseLine(line))
            routes.push_back(std::move(*route));
    });
    return routes;
}

std::vector<Route6> parse6(QByteArrayView text) {
    std::vector<Route6> routes;
    eachLine(text, [&routes](QByteArrayView line) {
        if (auto route = parseLine6(line))
            routes.push_back(std::move(*route));
    });
    return routes;
}

std::optional<Route> defaultRoute(const std::vector<Route>& routes) {
    std::optional<Route> best;
    for (const Route& route : routes) {
        // Unreachable and prohibit defaults carry RTF_REJECT and no interface that traffic could leave by.
        const bool usable = (route.flags & RTF_UP) && !(route.flags & RTF_REJECT);
        if (route.destination == 0 && route.mask == 0 && usable && (!best || route.metric < best->metric))
            best = route;
    }
    return best;
}

std::optional<Route6> defaultRoute6(const std::vector<Route6>& routes) {
    std::optional<Route6> best;
    for (const Route6& route : routes) {
        const bool usable = (route.flags & RTF_UP) && !(route.flags & RTF_REJECT);
        if (route.prefix == 0 && usable && (!best || route.metric < best->metric))
            best = route;
    }
    return best;
}

// thread-self, not self: the namespace of the calling thread, like the sockets it opens.
SystemTable::SystemTable(const char* name)
    : path_(QByteArray("/proc/thread-self/net/") + name) {}

SystemTable::~SystemTable() {
    close();
}

QByteArrayView SystemTable::text() {
    if (fd_ < 0)
        fd_ = ::open(path_.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return {};
    if (text_.size() < initialRead)
        text_.resize(initialRead);
    qsizetype size = 0;
    for (;;) {
        if (size == text_.size()) {
            if (size >= largestRead) {
                // A full Internet table: both files list the default route first, so the complete lines read
                // suffice.
                size = text_.lastIndexOf('\n', size - 1) + 1;
                break;
            }
            text_.resize(std::min(size * 2, largestRead));
        }
        const ssize_t got = ::pread(fd_, text_.data() + size, std::size_t(text_.size() - size), off_t(size));
        if (got < 0) {
            close();
            return {};
        }
        if (got == 0)
            break;
        size += got;
    }
    return QByteArrayView(text_).first(size);
}

void SystemTable::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform::routes
