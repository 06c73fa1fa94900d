#pragma once

#include "platform/linux/netlink.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

// Per-process TCP traffic: the kernel's per-socket byte counts (sock_diag) joined to the processes that hold
// the sockets (/proc/PID/fd). Only the user's own processes can be looked into.
namespace platform::procnet {

// One TCP socket with its cumulative bytes.
struct SocketBytes {
    quint64 inode = 0;
    quint64 received = 0;
    quint64 acked = 0; // sent and acknowledged
};

// The payload of one sock_diag reply message; nothing without a socket inode or its tcp_info.
std::optional<SocketBytes> parseSocket(netlink::Bytes payload);

// One running process and the sockets it holds.
struct Process {
    int pid = 0;
    QString name;
    std::vector<quint64> sockets; // inodes
};

inline const QString proc = QStringLiteral("/proc");

// The processes under `root` in ascending pid order. With `sockets` set, only those that hold sockets or are
// in `named`, each with its sockets and its whole name (see wholeName); those of other users cannot be looked
// into and hold none. Processes that end during the scan are left out.
std::vector<Process> readProcesses(const QString& root = proc, bool sockets = true, const QSet<int>& named = {});

// The name of a process whose kernel name `comm` may have been cut at 15 bytes, from its command line (NUL-
// separated arguments) and executable path: the file name of the first of argv[0], argv[1] (a script's
// interpreter, then the script) and the executable that begins with `comm`; else the executable's (a program
// that named itself anew, as browsers name their content processes); else `comm`.
QString wholeName(const QString& comm, QByteArrayView cmdline, QByteArrayView exe);

// A process name that cannot break a comma-separated line.
QString safeName(QString name);

// Cumulative bytes per process, carried across samples. Each socket counts once, for the first process that
// holds it; it has closed when it leaves that process's descriptors (not when a dump misses it), and what it
// carried stays counted for the process. A socket passed to another process moves with only what it carries
// from then on. So a process's totals never go down while it lives, and never count a byte twice.
class Sampler {
public:
    // A header line, then one "name.pid,bytes in,bytes out" line per process; empty when the kernel cannot
    // be asked.
    QByteArray sample();

    // Joins one reading of sockets and processes into the comma-separated text.
    QByteArray join(const std::vector<SocketBytes>& sockets, const std::vector<Process>& processes);

private:
    struct Held {
        QString key;
        int pid = 0;
        Counters bytes; // cumulative, as of the last sample
        Counters base;  // what it had carried before this owner took it
    };

    std::optional<std::vector<SocketBytes>> readSockets();

    netlink::Socket socket_{NETLINK_SOCK_DIAG};
    QHash<quint64, Held> held_;   // inode → owner and bytes
    QHash<QString, Held> closed_; // key → bytes of its sockets that have closed
};

} // namespace platform::procnet
