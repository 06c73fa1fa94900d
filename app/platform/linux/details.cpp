#include "platform/linux/addresses.h"
#include "platform/linux/hardware_ports.h"
#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/resolv_conf.h"
#include "platform/linux/resolved.h"
#include "platform/linux/router.h"
#include "platform/linux/vpn_programs.h"
#include "platform/linux/wifi_link.h"
#include "platform/platform.h"

#include <QDBusConnection>

#include <net/if.h>

#include <array>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// Each reading runs on a worker, one at a time per kind, so the link's socket and the sampler's state are kept
// between readings without locks; the slow facts open their own sockets and files on each use.
class LinuxDetails final : public Details {
public:
    std::optional<WifiLink> wifi() override { return wifi::readLink(wifi_); }

    QList<Address> addresses() override { return readAddresses(); }

    SlowFacts slow() override {
        SlowFacts facts;
        nl80211::Client client;
        const auto wireless = client.interfaces();
        const auto table = routes::parse(routes::SystemTable().text());
        const auto table6 = routes::parse6(routes::SystemTable(routes::ipv6Table).text());
        // The associated Wi-Fi interface stands for the machine's network, else the default route's.
        const nl80211::WirelessInterface* station = wifi::chooseStation(wireless);
        const QString primary = station && station->ssid ? station->name : routes::defaultInterface(table, table6);
        facts.router = routes::router(table, table6, primary);
        const int index = primary.isEmpty() ? 0 : int(if_nametoindex(primary.toLocal8Bit().constData()));
        facts.dns =
            resolv::nameserver([index] { return resolved::currentServer(QDBusConnection::systemBus(), index); });
        facts.ports = sysfs::hardwarePorts();
        // Only hardware has a MAC address worth showing; bridges and virtual links make theirs up.
        const QMap<QString, QString> macs = sysfs::currentMACs();
        for (auto it = macs.cbegin(); it != macs.cend(); ++it) {
            if (const auto port = facts.ports.constFind(it.key()); port != facts.ports.cend() && *port != u"Bridge")
                facts.curMAC.insert(it.key(), *it);
        }
        for (auto it = facts.curMAC.cbegin(); it != facts.curMAC.cend(); ++it) {
            if (const auto permanent = sysfs::permanentMAC(it.key()))
                facts.hwMAC.insert(it.key(), *permanent);
        }
        facts.accessPoints = wifi::readAccessPoints(client);
        facts.tunnels = vpn::owners(sysfs::tunnels(), procnet::readProcesses(procnet::proc, false));
        return facts;
    }

    QByteArray processSample() override { return sampler_.sample(); }

private:
    nl80211::Client wifi_;
    procnet::Sampler sampler_;
};

} // namespace

bool isTunnel(QStringView name) {
    static constexpr std::array<QStringView, 10> prefixes{
        u"tun", u"wg", u"tailscale", u"nordlynx", u"nordtun", u"proton", u"CloudflareWARP", u"cscotun", u"gpd", u"ppp"};
    for (const QStringView prefix : prefixes) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

bool isZeroTier(QStringView name) {
    return name.startsWith(u"zt");
}

std::unique_ptr<Details> systemDetails() {
    return std::make_unique<LinuxDetails>();
}

} // namespace platform
