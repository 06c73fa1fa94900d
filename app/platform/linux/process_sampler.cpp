#include "platform/linux/process_sampler.h"

#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::procnet {

namespace {

// Fields of tcp_info up to and including the received-bytes counter; older kernels send less.
constexpr std::size_t tcpInfoNeeded = offsetof(tcp_info, tcpi_bytes_received) + sizeof(quint64);

class Directory {
public:
    explicit Directory(int fd)
        : dir_(fd >= 0 ? fdopendir(fd) : nullptr) {
        if (fd >= 0 && !dir_)
            ::close(fd);
    }
    ~Directory() {
        if (dir_)
            closedir(dir_);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

std::optional<int> pidOf(const char* name) {
    int pid = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9' || pid > 100'000'000)
            return std::nullopt;
        pid = pid * 10 + (*c - '0');
    }
    return pid > 0 ? std::optional(pid) : std::nullopt;
}

// "socket:[12345]" → 12345.
std::optional<quint64> socketInode(const char* link, ssize_t size) {
    static constexpr std::string_view prefix = "socket:[";
    const std::string_view text(link, std::size_t(size));
    if (!text.starts_with(prefix) || !text.ends_with(']'))
        return std::nullopt;
    quint64 inode = 0;
    for (const char c : text.substr(prefix.size(), text.size() - prefix.size() - 1)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        inode = inode * 10 + quint64(c - '0');
    }
    return inode;
}

std::vector<quint64> socketsOf(int procFd, const char* pid) {
    std::vector<quint64> inodes;
    const std::string fdPath = std::string(pid) + "/fd";
    Directory fds(openat(procFd, fdPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fds.get())
        return inodes;
    const int dirFd = dirfd(fds.get());
    std::array<char, 64> link{};
    while (const dirent* entry = readdir(fds.get())) {
        if (entry->d_name[0] == '.')
            continue;
        const ssize_t size = readlinkat(dirFd, entry->d_name, link.data(), link.size());
        if (size <= 0 || std::size_t(size) >= link.size())
            continue;
        if (const auto inode = socketInode(link.data(), size))
            inodes.push_back(*inode);
    }
    return inodes;
}

QByteArray readAt(int procFd, const std::string& path, std::size_t limit) {
    const int fd = openat(procFd, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text(qsizetype(limit), Qt::Uninitialized);
    const ssize_t size = read(fd, text.data(), limit);
    ::close(fd);
    text.truncate(size > 0 ? qsizetype(size) : 0);
    return text;
}

// The kernel keeps this many bytes of a process name.
constexpr qsizetype commLength = 15;

QString nameOf(int procFd, const char* pid, bool whole) {
    QByteArray comm = readAt(procFd, std::string(pid) + "/comm", 64);
    if (comm.endsWith('\n'))
        comm.chop(1);
    const QString name = QString::fromUtf8(comm);
    if (!whole || comm.size() != commLength)
        return name;
    std::array<char, 4096> exe{};
    const ssize_t size = readlinkat(procFd, (std::string(pid) + "/exe").c_str(), exe.data(), exe.size());
    const QByteArray cmdline = readAt(procFd, std::string(pid) + "/cmdline", 4096);
    return wholeName(name, cmdline, QByteArrayView(exe.data(), size > 0 ? qsizetype(size) : 0));
}

QString fileName(QByteArrayView path) {
    return QString::fromUtf8(path.sliced(path.lastIndexOf('/') + 1));
}

} // namespace

std::optional<SocketBytes> parseSocket(netlink::Bytes payload) {
    const auto header = netlink::read<inet_diag_msg>(payload);
    if (!header || header->idiag_inode == 0)
        return std::nullopt;
    for (const netlink::Attribute& attribute : netlink::Attributes(netlink::after(payload, sizeof(inet_diag_msg)))) {
        if (attribute.type != INET_DIAG_INFO || attribute.payload.size() < tcpInfoNeeded)
            continue;
        tcp_info info{};
        std::memcpy(&info, attribute.payload.data(), std::min(attribute.payload.size(), sizeof info));
        return SocketBytes{header->idiag_inode, info.tcpi_bytes_received, info.tcpi_bytes_acked};
    }
    return std::nullopt;
}

std::vector<Process> readProcesses(const QString& root, bool sockets, const QSet<int>& named) {
    std::vector<Process> result;
    Directory dir(open(root.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.get())
        return result;
    while (const dirent* entry = readdir(dir.get())) {
        const auto pid = pidOf(entry->d_name);
        if (!pid)
            continue;
        std::vector<quint64> held;
        if (sockets) {
            held = socketsOf(dirfd(dir.get()), entry->d_name);
            // Most processes hold no socket; their names are not needed.
            if (held.empty() && !named.contains(*pid))
                continue;
        }
        const QString name = nameOf(dirfd(dir.get()), entry->d_name, sockets);
        if (name.isEmpty())
            continue; // ended during the scan
        result.push_back({*pid, name, std::move(held)});
    }
    std::sort(result.begin(), result.end(), [](const Process& a, const Process& b) { return a.pid < b.pid; });
    return result;
}

QString wholeName(const QString& comm, QByteArrayView cmdline, QByteArrayView exe) {
    // A deleted or replaced executable is reported with this suffix.
    if (exe.endsWith(" (deleted)"))
        exe.chop(10);
    const qsizetype end0 = cmdline.indexOf('\0');
    const QByteArrayView argv0 = end0 < 0 ? cmdline : cmdline.first(end0);
    const QByteArrayView rest = end0 < 0 ? QByteArrayView() : cmdline.sliced(end0 + 1);
    const QByteArrayView argv1 = rest.indexOf('\0') < 0 ? rest : rest.first(rest.indexOf('\0'));
    for (const QByteArrayView path : {argv0, argv1, exe}) {
        const QString name = fileName(path);
        if (name.startsWith(comm))
            return name;
    }
    const QString program = fileName(exe);
    return program.isEmpty() ? comm : program;
}

QString safeName(QString name) {
    for (QChar& c : name) {
        if (c == u',' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    return name;
}

QByteArray Sampler::sample() {
    // Without the kernel's list every socket would look closed; the caller gets nothing and the totals stay.
    const auto sockets = readSockets();
    if (!sockets)
        return {};
    // Owners are looked into even when they hold no socket now, to see that theirs have closed.
    QSet<int> named;
    for (const Held& c : std::as_const(closed_))
        named.insert(c.pid);
    for (const Held& h : std::as_const(held_))
        named.insert(h.pid);
    return join(*sockets, readProcesses(proc, true, named));
}

QByteArray Sampler::join(const std::vector<SocketBytes>& sockets, const std::vector<Process>& processes) {
    std::vector<QString> keys;
    keys.reserve(processes.size());
    QHash<QString, std::size_t> byKey;
    QHash<quint64, std::size_t> firstHolder;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        keys.push_back(safeName(processes[i].name) + u'.' + QString::number(processes[i].pid));
        byKey.insert(keys.back(), i);
        for (const quint64 inode : processes[i].sockets) {
            if (!firstHolder.contains(inode))
                firstHolder.insert(inode, i); // a socket shared after a fork counts for its first holder
        }
    }
    // A dump can list a socket twice when it changes state meanwhile; it counts once.
    QHash<quint64, Counters> now;
    for (const SocketBytes& s : sockets) {
        Counters& c = now[s.inode];
        c.in = std::max(c.in, s.received);
        c.out = std::max(c.out, s.acked);
    }
    const auto latest = [&now](quint64 inode, Counters was) {
        const Counters c = now.value(inode, was);
        return Counters{std::max(c.in, was.in), std::max(c.out, was.out)};
    };
    const auto holds = [&processes](std::size_t i, quint64 inode) {
        const auto& own = processes[i].sockets;
        return std::find(own.begin(), own.end(), inode) != own.end();
    };

    QHash<quint64, Held> held;
    for (auto it = held_.cbegin(); it != held_.cend(); ++it) {
        const auto owner = byKey.constFind(it->key);
        if (owner != byKey.cend() && holds(*owner, it.key())) {
            // Still its owner's, whether or not this dump listed it.
            held.insert(it.key(), {it->key, it->pid, latest(it.key(), it->bytes), it->base});
            continue;
        }
        if (owner != byKey.cend()) {
            Held& closed = closed_[it->key];
            closed.pid = it->pid;
            closed.bytes.in += it->bytes.in - it->base.in;
            closed.bytes.out += it->bytes.out - it->base.out;
        }
        if (const auto next = firstHolder.constFind(it.key()); next != firstHolder.cend()) {
            const std::size_t i = *next;
            held.insert(it.key(), {keys[i], processes[i].pid, latest(it.key(), it->bytes), it->bytes});
        }
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto holder = firstHolder.constFind(it.key());
        if (holder != firstHolder.cend() && !held.contains(it.key()))
            held.insert(it.key(), {keys[*holder], processes[*holder].pid, *it, {}});
    }

    QHash<QString, Counters> totals;
    for (const Held& h : std::as_const(held)) {
        Counters& total = totals[h.key];
        total.in += h.bytes.in - h.base.in;
        total.out += h.bytes.out - h.base.out;
    }
    for (auto it = closed_.begin(); it != closed_.end();) {
        if (!byKey.contains(it.key())) {
            it = closed_.erase(it);
            continue;
        }
        Counters& total = totals[it.key()];
        total.in += it->bytes.in;
        total.out += it->bytes.out;
        ++it;
    }
    held_ = std::move(held);

    QByteArray text = "process,bytes_in,bytes_out\n";
    for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        text += it.key().toUtf8() + ',' + QByteArray::number(it->in) + ',' + QByteArray::number(it->out) + '\n';
    return text;
}

std::optional<std::vector<SocketBytes>> Sampler::readSockets() {
    std::vector<SocketBytes> result;
    for (const quint8 family : {quint8(AF_INET), quint8(AF_INET6)}) {
        netlink::Builder request(SOCK_DIAG_BY_FAMILY, NLM_F_REQUEST | NLM_F_DUMP);
        inet_diag_req_v2 body{};
        body.sdiag_family = family;
        body.sdiag_protocol = IPPROTO_TCP;
        body.idiag_ext = 1 << (INET_DIAG_INFO - 1);
        body.idiag_states = ~0u;
        request.append(body);
        const int error = socket_.exchange(request, [&result](const netlink::Message& message) {
            if (message.type != SOCK_DIAG_BY_FAMILY)
                return;
            if (const auto s = parseSocket(message.payload))
                result.push_back(*s);
        });
        // A kernel without IPv6 has no IPv6 sockets to list.
        const bool noIpv6 = family == AF_INET6 && (error == EAFNOSUPPORT || error == ENOENT);
        if (error != 0 && !noIpv6)
            return std::nullopt;
    }
    return result;
}

} // namespace platform::procnet
