#pragma once

#include "platform/linux/proc_net_route.h"

#include <QString>
#include <optional>
#include <vector>

namespace platform::routes {

// The router as text: the default gateway of `preferred` (the primary interface), IPv4 before IPv6, else that
// of the lowest-metric default route of either family; absent without a default route or when the chosen
// route has no gateway.
std::optional<QString> router(const std::vector<Route>& table, const std::vector<Route6>& table6,
                              const QString& preferred);

// The interface of the lowest-metric default route, IPv4 before IPv6; empty without one.
QString defaultInterface(const std::vector<Route>& table, const std::vector<Route6>& table6);

} // namespace platform::routes
