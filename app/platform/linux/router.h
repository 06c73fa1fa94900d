#pragma once

#include "platform/linux/proc_net_route.h"

#include <QString>
#include <optional>
#include <vector>

namespace platform::routes {

// The router as dotted text: the default gateway of `preferred` (the Wi-Fi interface) when it has one, else of
// the lowest-metric default route; absent without a default route or when that route has no gateway.
std::optional<QString> router(const std::vector<Route>& table, const QString& preferred);

} // namespace platform::routes
