#include "platform/linux/router.h"

#include <QHostAddress>

#include <algorithm>
#include <iterator>

namespace platform::routes {

namespace {

template <typename R> std::vector<R> of(const std::vector<R>& table, const QString& iface) {
    std::vector<R> own;
    std::copy_if(table.begin(), table.end(), std::back_inserter(own),
                 [&iface](const R& r) { return r.iface == iface; });
    return own;
}

std::optional<QString> gatewayText(const Route& r) {
    return r.gateway == 0 ? std::nullopt : std::optional(QHostAddress(r.gateway).toString());
}

std::optional<QString> gatewayText(const Route6& r) {
    if (std::all_of(r.gateway.begin(), r.gateway.end(), [](quint8 b) { return b == 0; }))
        return std::nullopt;
    return QHostAddress(r.gateway.data()).toString();
}

} // namespace

std::optional<QString> router(const std::vector<Route>& table, const std::vector<Route6>& table6,
                              const QString& preferred) {
    if (!preferred.isEmpty()) {
        if (const auto own = defaultRoute(of(table, preferred)))
            return gatewayText(*own);
        if (const auto own = defaultRoute6(of(table6, preferred)))
            return gatewayText(*own);
    }
    if (const auto any = defaultRoute(table))
        return gatewayText(*any);
    if (const auto any = defaultRoute6(table6))
        return gatewayText(*any);
    return std::nullopt;
}

QString defaultInterface(const std::vector<Route>& table, const std::vector<Route6>& table6) {
    if (const auto route = defaultRoute(table))
        return route->iface;
    if (const auto route = defaultRoute6(table6))
        return route->iface;
    return {};
}

} // namespace platform::routes
