#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/router.h"
#include "platform/linux/rtnetlink.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Every socket, and each route file, opens on first use, so the object reads the network namespace of the thread
// that first asks.
class LinuxNetwork final : public Network {
public:
    Interfaces interfaces() override { return interfaces_.read(); }

    Link link(const Interfaces& current) override {
        const QString route = routes::defaultInterface(routes::parse(routes_.text()), routes::parse6(routes6_.text()));
        return choosePrimary(wifi_.interfaces(), route, current);
    }

private:
    rtnetlink::InterfaceReader interfaces_;
    nl80211::Client wifi_;
    routes::SystemTable routes_;
    routes::SystemTable routes6_{routes::ipv6Table};
};

} // namespace

std::unique_ptr<Network> systemNetwork() {
    return std::make_unique<LinuxNetwork>();
}

} // namespace platform
