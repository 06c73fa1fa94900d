#include "platform/linux/echo_socket.h"

#include "platform/platform.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr auto replyWait = 1s;
// Type, code, checksum, identifier and sequence number; the kernel fills in the checksum and identifier.
constexpr int headerSize = 8;
constexpr int payloadSize = 16;

socklen_t length(int family) {
    return family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
}

bool sameAddress(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family)
        return false;
    if (a.ss_family == AF_INET)
        return reinterpret_cast<const sockaddr_in&>(a).sin_addr.s_addr ==
               reinterpret_cast<const sockaddr_in&>(b).sin_addr.s_addr;
    return std::memcmp(&reinterpret_cast<const sockaddr_in6&>(a).sin6_addr,
                       &reinterpret_cast<const sockaddr_in6&>(b).sin6_addr, sizeof(in6_addr)) == 0;
}

void later(QObject* context, EchoSocket::Done done) {
    QMetaObject::invokeMethod(
        context, [done = std::move(done)] { done(std::nullopt); }, Qt::QueuedConnection);
}

} // namespace

std::unique_ptr<EchoSocket> EchoSocket::open(int family) {
    const int fd = ::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            family == AF_INET ? int(IPPROTO_ICMP) : int(IPPROTO_ICMPV6));
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<EchoSocket>(new EchoSocket(fd, family));
}

EchoSocket::EchoSocket(int fd, int family)
    : fd_(fd)
    , family_(family)
    , notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, &EchoSocket::read);
}

EchoSocket::~EchoSocket() {
    delete notifier_;
    ::close(fd_);
}

void EchoSocket::send(const sockaddr_storage& to, QObject* context, Done done) {
    // Skips numbers still waiting for their reply, so that a late reply never meets a newer request.
    while (pending_.contains(next_))
        ++next_;
    const quint16 sequence = next_++;
    unsigned char packet[headerSize + payloadSize] = {};
    packet[0] = family_ == AF_INET ? 8 : 128; // echo request
    packet[6] = sequence >> 8;
    packet[7] = sequence & 0xff;
    const auto sent = std::chrono::steady_clock::now();
    if (::sendto(fd_, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&to), length(family_)) < 0) {
        later(context, std::move(done));
        return;
    }
    const int timer = startTimer(replyWait, Qt::PreciseTimer);
    timers_.insert(timer, sequence);
    pending_.insert(sequence, {to, context, std::move(done), sent, timer});
}

void EchoSocket::read() {
    const unsigned char replyType = family_ == AF_INET ? 0 : 129;
    for (;;) {
        unsigned char packet[1500];
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(fd_, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return;
        const auto received = std::chrono::steady_clock::now();
        if (n < headerSize || packet[0] != replyType)
            continue;
        const quint16 sequence = quint16(packet[6] << 8 | packet[7]);
        const auto it = pending_.constFind(sequence);
        if (it == pending_.cend() || !sameAddress(it->to, from))
            continue;
        finish(sequence, std::chrono::duration<double, std::milli>(received - it->sent).count());
    }
}

void EchoSocket::timerEvent(QTimerEvent* event) {
    if (const auto it = timers_.constFind(event->timerId()); it != timers_.cend())
        finish(*it, std::nullopt);
}

void EchoSocket::finish(quint16 sequence, std::optional<double> ms) {
    Request r = pending_.take(sequence);
    killTimer(r.timer);
    timers_.remove(r.timer);
    if (r.context)
        r.done(ms);
}

namespace platform {

namespace {

class Sockets final : public Echo {
public:
    Sockets(std::unique_ptr<EchoSocket> v4, std::unique_ptr<EchoSocket> v6)
        : v4_(std::move(v4))
        , v6_(std::move(v6)) {}

    void send(const QHostAddress& to, QObject* context, std::function<void(std::optional<double>)> done) override {
        sockaddr_storage a{};
        EchoSocket* socket = nullptr;
        if (to.protocol() == QAbstractSocket::IPv4Protocol) {
            auto& in = reinterpret_cast<sockaddr_in&>(a);
            in.sin_family = AF_INET;
            in.sin_addr.s_addr = htonl(to.toIPv4Address());
            socket = v4_.get();
        } else if (to.protocol() == QAbstractSocket::IPv6Protocol) {
            auto& in6 = reinterpret_cast<sockaddr_in6&>(a);
            in6.sin6_family = AF_INET6;
            const Q_IPV6ADDR bytes = to.toIPv6Address();
            std::memcpy(&in6.sin6_addr, bytes.c, sizeof bytes.c);
            in6.sin6_scope_id = scope(to.scopeId());
            socket = v6_.get();
        }
        if (!socket)
            return later(context, std::move(done));
        socket->send(a, context, std::move(done));
    }

private:
    // A link-local address names its interface by number or by name.
    static uint32_t scope(const QString& id) {
        bool number = false;
        const uint value = id.toUInt(&number);
        return number ? value : ::if_nametoindex(id.toLocal8Bit().constData());
    }

    std::unique_ptr<EchoSocket> v4_;
    std::unique_ptr<EchoSocket> v6_;
};

} // namespace

std::shared_ptr<Echo> echoSockets() {
    auto v4 = EchoSocket::open(AF_INET);
    if (!v4)
        return nullptr;
    // A kernel without IPv6 still pings IPv4 hosts; IPv6 ones then go unanswered, as they would with the tool.
    return std::make_shared<Sockets>(std::move(v4), EchoSocket::open(AF_INET6));
}

} // namespace platform
