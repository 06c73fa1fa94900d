#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

#include <linux/netlink.h>

// Netlink plumbing shared by the route and the generic (nl80211) families: building requests, splitting
// replies into messages and attributes without trusting any length the reply carries, and one socket.
namespace platform::netlink {

using Bytes = std::span<const std::byte>;

// A value of type T at `offset`, when the bytes hold all of it.
template <typename T> std::optional<T> read(Bytes bytes, std::size_t offset = 0) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// The bytes after a fixed header of `size` bytes (padded to the netlink alignment); empty when short.
Bytes after(Bytes bytes, std::size_t size);

struct Attribute {
    quint16 type = 0; // without the nested and byte-order flags
    Bytes payload;

    // The payload as text, up to its first NUL.
    QString text() const;
};

// The attributes in a byte range. Iteration stops at the first attribute whose length is shorter than its
// header or runs past the range, so a truncated or hostile reply yields only its well-formed prefix.
class Attributes {
public:
    explicit Attributes(Bytes bytes)
        : bytes_(bytes) {}

    class Iterator {
    public:
        using value_type = Attribute;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        explicit Iterator(Bytes rest)
            : rest_(rest) {
            load();
        }

        const Attribute& operator*() const { return current_; }
        const Attribute* operator->() const { return &current_; }
        Iterator& operator++();
        void operator++(int) { ++*this; }
        bool operator==(std::default_sentinel_t) const { return !valid_; }

    private:
        void load();

        Bytes rest_;
        Attribute current_;
        bool valid_ = false;
    };

    Iterator begin() const { return Iterator(bytes_); }
    std::default_sentinel_t end() const { return {}; }

private:
    Bytes bytes_;
};

// Appends one attribute, padded to the netlink alignment.
void appendAttribute(std::vector<std::byte>& out, quint16 type, Bytes payload);

// One netlink message under construction; its length field follows every addition.
class Builder {
public:
    Builder(quint16 type, quint16 flags);

    template <typename Header> void append(const Header& header) { appendRaw(std::as_bytes(std::span(&header, 1))); }
    void attribute(quint16 type, Bytes payload);
    // A NUL-terminated string attribute.
    void attribute(quint16 type, const char* text);
    void setSequence(quint32 sequence);

    Bytes bytes() const { return bytes_; }

private:
    void appendRaw(Bytes bytes);
    void updateLength();

    std::vector<std::byte> bytes_;
};

// One message of a reply.
struct Message {
    quint16 type = 0;
    quint16 flags = 0;
    Bytes payload; // after the message header
};

using Handler = std::function<void(const Message&)>;

// Where a reply stands after one of its datagrams.
struct Progress {
    bool done = false;
    int error = 0; // errno of a failed reply; `done` is then set
};

// Hands the messages of one received datagram that answer request `sequence` to `handle`. Messages of other
// requests are skipped; NLMSG_DONE, an acknowledgement, an error or a single-part answer end the reply; a
// message whose length does not fit the datagram fails it.
Progress takeDatagram(Bytes datagram, quint32 sequence, const Handler& handle);

// A netlink socket of one protocol, opened on first use in the calling thread's network namespace and
// closed after any failure so that the next exchange starts on a fresh one.
class Socket {
public:
    explicit Socket(int protocol)
        : protocol_(protocol) {}
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Sends `request` and hands every message of the kernel's reply to `handle`. Returns 0, or the errno of
    // the failure: the kernel's own, ETIMEDOUT when the reply does not end in time, EPROTO when it is
    // malformed, EMSGSIZE when a datagram outgrew the buffer (which is then enlarged for the next exchange).
    int exchange(Builder& request, const Handler& handle);

private:
    int open();
    void close();
    int receive(quint32 sequence, const Handler& handle);

    int protocol_;
    int fd_ = -1;
    quint32 sequence_ = 0;
    std::vector<std::byte> buffer_;
};

} // namespace platform::netlink
