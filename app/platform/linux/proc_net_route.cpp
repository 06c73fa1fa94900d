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
    int count = 0;
    qsizetype at = 0;
    while (count < neededColumns) {
        while (at < line.size() && isBlank(line[at]))
            ++at;
        const qsizetype start = at;
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        if (at == start)
            break;
        fields[count++] = line.sliced(start, at - start);
    }
    if (count < neededColumns)
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

} // namespace

std::vector<Route> parse(QByteArrayView text) {
    std::vector<Route> routes;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        const QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        if (auto route = parseLine(line))
            routes.push_back(std::move(*route));
    }
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

SystemTable::~SystemTable() {
    close();
}

std::vector<Route> SystemTable::read() {
    // thread-self, not self: the namespace of the calling thread, like the sockets it opens.
    if (fd_ < 0)
        fd_ = ::open("/proc/thread-self/net/route", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return {};
    if (text_.size() < initialRead)
        text_.resize(initialRead);
    qsizetype size = 0;
    for (;;) {
        if (size == text_.size()) {
            if (size >= largestRead) {
                // A full Internet table: the default route sorts first, so the complete lines read suffice.
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
    return parse(QByteArrayView(text_).first(size));
}

void SystemTable::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform::routes
