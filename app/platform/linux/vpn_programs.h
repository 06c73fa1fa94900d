#pragma once

#include "platform/linux/process_sampler.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// Which known VPN program runs which tunnel.
namespace platform::vpn {

// Tunnel → the display name of the known VPN program that runs it, empty for the others. A running program is
// credited with a tunnel that bears one of its own interface names, or whose tun descriptor one of its processes
// holds (readable in `procRoot` for the user's own processes only). A daemon that merely runs gets no credit for
// another program's tunnel.
QMap<QString, QString> owners(const QStringList& tunnels, const std::vector<procnet::Process>& processes,
                              const QString& procRoot = procnet::proc);

} // namespace platform::vpn
