#include "platform/linux/netlink.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform::netlink {

namespace {

// One wait for the kernel, and the whole exchange: a reply that stalls or never ends gives up instead of
// freezing the caller's thread.
constexpr timeval receiveWait{0, 100'000};
constexpr std::chrono::milliseconds exchangeLimit{250};
// The kernel fills dump datagrams up to 32 KiB, or more only for a single message that needs it.
constexpr std::size_t initialBuffer = 64 * 1024;
constexpr std::size_t largestDatagram = 4 * 1024 * 1024;

// The errno of a reply's negative error code. Errnos end at 4095; past that, where the most negative int
// has no positive counterpart, the reply is malformed.
int errnoOf(int code) {
    return code < -4095 ? EPROTO : -code;
}

} // namespace

Bytes after(Bytes bytes, std::size_t size) {
    const std::size_t aligned = NLMSG_ALIGN(size);
    return aligned <= bytes.size() ? bytes.subspan(aligned) : Bytes{};
}

QString Attribute::text() const {
    const auto* begin = reinterpret_cast<const char*>(payload.data());
    const auto* end = std::find(begin, begin + payload.size(), '\0');
    return QString::fromUtf8(begin, end - begin);
}

Attributes::Iterator& Attributes::Iterator::operator++() {
    const std::size_t step = NLA_ALIGN(std::size_t(current_.payload.size()) + NLA_HDRLEN);
    rest_ = step < rest_.size() ? rest_.subspan(step) : Bytes{};
    load();
    return *this;
}

void Attributes::Iterator::load() {
    const auto header = read<nlattr>(rest_);
    valid_ = header && header->nla_len >= NLA_HDRLEN && header->nla_len <= rest_.size();
    if (!valid_)
        return;
    current_.type = header->nla_type & NLA_TYPE_MASK;
    current_.payload = rest_.subspan(NLA_HDRLEN, header->nla_len - NLA_HDRLEN);
}

void appendAttribute(std::vector<std::byte>& out, quint16 type, Bytes payload) {
    const nlattr header{quint16(NLA_HDRLEN + payload.size()), type};
    const auto headerBytes = std::as_bytes(std::span(&header, 1));
    out.insert(out.end(), headerBytes.begin(), headerBytes.end());
    out.insert(out.end(), payload.begin(), payload.end());
    out.resize(NLA_ALIGN(out.size()));
}

Builder::Builder(quint16 type, quint16 flags) {
    nlmsghdr header{};
    header.nlmsg_type = type;
    header.nlmsg_flags = flags;
    append(header);
}

void Builder::attribute(quint16 type, Bytes payload) {
    appendAttribute(bytes_, type, payload);
    updateLength();
}

void Builder::attribute(quint16 type, const char* text) {
    attribute(type, std::as_bytes(std::span(text, std::strlen(text) + 1)));
}

void Builder::setSequence(quint32 sequence) {
    std::memcpy(bytes_.data() + offsetof(nlmsghdr, nlmsg_seq), &sequence, sizeof sequence);
}

void Builder::appendRaw(Bytes bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    bytes_.resize(NLMSG_ALIGN(bytes_.size()));
    updateLength();
}

void Builder::updateLength() {
    const quint32 length = quint32(bytes_.size());
    std::memcpy(bytes_.data() + offsetof(nlmsghdr, nlmsg_len), &length, sizeof length);
}

Progress takeDatagram(Bytes datagram, quint32 sequence, const Handler& handle) {
    Bytes rest = datagram;
    while (!rest.empty()) {
        const auto header = read<nlmsghdr>(rest);
        if (!header || header->nlmsg_len < sizeof(nlmsghdr) || header->nlmsg_len > rest.size())
            return {true, EPROTO};
        const Message message{header->nlmsg_type, header->nlmsg_flags,
                              rest.subspan(sizeof(nlmsghdr), header->nlmsg_len - sizeof(nlmsghdr))};
        rest = rest.subspan(std::min<std::size_t>(NLMSG_ALIGN(header->nlmsg_len), rest.size()));
        if (header->nlmsg_seq != sequence || message.type == NLMSG_NOOP)
            continue;
        if (message.type == NLMSG_ERROR) {
            const auto error = read<int>(message.payload);
            if (!error || *error > 0)
                return {true, EPROTO};
            return {true, errnoOf(*error)};
        }
        if (message.type == NLMSG_OVERRUN)
            return {true, EOVERFLOW};
        if (message.type == NLMSG_DONE) {
            // A dump reports a failure met half-way as a negative number in its last message.
            const int error = read<int>(message.payload).value_or(0);
            return {true, error < 0 ? errnoOf(error) : 0};
        }
        handle(message);
        if (!(message.flags & NLM_F_MULTI))
            return {true, 0};
    }
    return {};
}

Socket::~Socket() {
    close();
}

int Socket::exchange(Builder& request, const Handler& handle) {
    if (fd_ < 0) {
        if (const int error = open(); error != 0)
            return error;
    }
    // Zero is left out so that it never matches a message that carries no sequence number.
    if (++sequence_ == 0)
        sequence_ = 1;
    request.setSequence(sequence_);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    const Bytes bytes = request.bytes();
    const ssize_t sent =
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
    int error = 0;
    if (sent < 0)
        error = errno;
    else if (std::size_t(sent) != bytes.size())
        error = EIO;
    else
        error = receive(sequence_, handle);
    // A failed exchange may leave the rest of its reply queued; a fresh socket starts clean.
    if (error != 0)
        close();
    return error;
}

int Socket::receive(quint32 sequence, const Handler& handle) {
    const auto deadline = std::chrono::steady_clock::now() + exchangeLimit;
    for (;;) {
        if (std::chrono::steady_clock::now() > deadline)
            return ETIMEDOUT;
        sockaddr_nl from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got =
            ::recvfrom(fd_, buffer_.data(), buffer_.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno;
        // Only the kernel answers; anything another process sends to this port is dropped.
        if (fromSize < sizeof from || from.nl_family != AF_NETLINK || from.nl_pid != 0)
            continue;
        // MSG_TRUNC reports the full size of a datagram the buffer could not hold. Its messages are lost, so
        // this reply fails; the next one gets a buffer large enough.
        if (std::size_t(got) > buffer_.size()) {
            buffer_.resize(std::min(std::size_t(got), largestDatagram));
            return EMSGSIZE;
        }
        const Progress progress = takeDatagram(Bytes(buffer_.data(), std::size_t(got)), sequence, handle);
        if (progress.done)
            return progress.error;
    }
}

int Socket::open() {
    fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, protocol_);
    if (fd_ < 0)
        return errno;
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &receiveWait, sizeof receiveWait) != 0 ||
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &receiveWait, sizeof receiveWait) != 0) {
        const int error = errno;
        close();
        return error;
    }
    buffer_.resize(std::max(buffer_.size(), initialBuffer));
    return 0;
}

void Socket::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform::netlink
