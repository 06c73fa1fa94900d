#include "platform/linux/addresses.h"

#include <ifaddrs.h>
#include <netdb.h>
#include <sys/socket.h>

#include <array>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

bool isListed(QStringView iface, QStringView text) {
    return !iface.startsWith(u"lo") && !text.isEmpty() && !text.startsWith(u"fe80", Qt::CaseInsensitive);
}

} // namespace

QList<Address> readAddresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    QList<Address> result;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_name)
            continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6)
            continue;
        const socklen_t size = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
        std::array<char, NI_MAXHOST> host{};
        if (getnameinfo(entry->ifa_addr, size, host.data(), host.size(), nullptr, 0, NI_NUMERICHOST) != 0)
            continue;
        QString text = QString::fromLatin1(host.data());
        // Only link-local addresses carry a scope, and those are not listed.
        text.truncate(text.indexOf(u'%') < 0 ? text.size() : text.indexOf(u'%'));
        const QString iface = QString::fromLocal8Bit(entry->ifa_name);
        if (isListed(iface, text))
            result.append({iface, text});
    }
    freeifaddrs(list);
    return result;
}

} // namespace platform
