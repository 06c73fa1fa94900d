#include "platform/platform.h"

#include <array>

namespace platform {

bool isMeasured(QStringView name) {
    // Ethernet (en*, eth*), Wi-Fi (wl*) and mobile broadband (ww*). Loopback, tunnels (tun, wg, tailscale),
    // bridges, virtual Ethernet and container links never match these prefixes.
    static constexpr std::array<QStringView, 4> prefixes{u"en", u"eth", u"wl", u"ww"};
    for (const QStringView prefix : prefixes) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

} // namespace platform
