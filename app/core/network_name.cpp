#include "core/network_name.h"

#include "core/hotspot_address.h"

using namespace Qt::StringLiterals;

QString networkName(const QMap<QString, QString>& ipv4, const platform::Link& link) {
    if (hotspotInterface(ipv4))
        return link.ssid ? u"hotspot iPhone ("_s + *link.ssid + u')' : u"hotspot iPhone"_s;
    if (link.ssid)
        return u"Wi-Fi "_s + *link.ssid;
    if (link.primary.isEmpty())
        return u"brak sieci"_s;
    const auto address = ipv4.constFind(link.primary);
    if (address == ipv4.cend())
        return u"brak "_s + link.primary;
    // A wired primary interface is named for what it is rather than as Wi-Fi.
    return (link.wireless ? u"Wi-Fi "_s : u"Ethernet "_s) + *address;
}
