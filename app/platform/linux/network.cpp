#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/rtnetlink.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Every socket, and the route file, opens on first use, so the object reads the network namespace of the thread
// that first asks.
class LinuxNetwork final : public Network {
public:
    Interfaces interfaces() override { return interfaces_.read(); }

    Link link(const Interfaces& current) override {
        const std::optional<routes::Route> route = routes::defaultRoute(routes_.read());
        return choosePrimary(wifi_.interfaces(), route ? route->iface : QString(), current);
    }

private:
    rtnetlink::InterfaceReader interfaces_;
    nl80211::Client wifi_;
    routes::SystemTable routes_;
};

} // namespace

std::unique_ptr<Network> systemNetwork() {
    return std::make_unique<LinuxNetwork>();
}

} // namespace platform
