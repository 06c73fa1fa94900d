#include "platform/linux/router.h"

#include <QHostAddress>

#include <algorithm>
#include <iterator>

namespace platform::routes {

std::optional<QString> router(const std::vector<Route>& table, const QString& preferred) {
    std::optional<Route> chosen;
    if (!preferred.isEmpty()) {
        std::vector<Route> own;
        std::copy_if(table.begin(), table.end(), std::back_inserter(own),
                     [&preferred](const Route& r) { return r.iface == preferred; });
        chosen = defaultRoute(own);
    }
    if (!chosen)
        chosen = defaultRoute(table);
    if (!chosen || chosen->gateway == 0)
        return std::nullopt;
    return QHostAddress(chosen->gateway).toString();
}

} // namespace platform::routes
