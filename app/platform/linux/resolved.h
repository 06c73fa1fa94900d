#pragma once

#include <QString>
#include <optional>

class QDBusConnection;

// systemd-resolved, asked over D-Bus.
namespace platform::resolved {

// The server resolved sends the queries of interface `ifindex` to now (its current server for that link), else
// its global current server; absent when resolved does not run on `bus` (it is never started for this), names
// none, or does not answer within a second. Blocks the calling thread.
std::optional<QString> currentServer(const QDBusConnection& bus, int ifindex);

} // namespace platform::resolved
