#include "platform/linux/hardware_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <net/if.h>

#include <linux/ethtool.h>
#include <linux/if_arp.h>
#include <linux/if_tun.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::sysfs {

namespace {

// Attribute files are a line or a few; more is not an attribute.
QByteArray readSmall(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096).trimmed();
}

bool ueventSays(const QString& dir, QByteArrayView line) {
    for (const QByteArray& entry : readSmall(dir + u"/uevent"_s).split('\n')) {
        if (entry.trimmed() == line)
            return true;
    }
    return false;
}

QStringList devices(const QString& root) {
    return QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

QString macText(const unsigned char* bytes, int size) {
    QString text;
    for (int i = 0; i < size; ++i) {
        if (i > 0)
            text += u':';
        text += u"%1"_s.arg(bytes[i], 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace

std::optional<QString> portOf(const QString& root, const QString& device) {
    const QString dir = root + u'/' + device;
    if (!QFileInfo::exists(dir))
        return std::nullopt;
    if (QFileInfo::exists(dir + u"/phy80211"_s) || ueventSays(dir, "DEVTYPE=wlan"))
        return u"Wi-Fi"_s;
    if (QFileInfo::exists(dir + u"/bridge"_s))
        return u"Bridge"_s;
    if (ueventSays(dir, "DEVTYPE=wwan"))
        return u"WWAN"_s;
    const QString real = QFileInfo(dir).canonicalFilePath();
    if (real.contains(u"/devices/virtual/"_s) || !QFileInfo::exists(dir + u"/device"_s))
        return std::nullopt;
    if (QFileInfo(dir + u"/device"_s).canonicalFilePath().contains(u"/usb"_s) || real.contains(u"/usb"_s))
        return u"USB LAN"_s;
    return u"Ethernet"_s;
}

QMap<QString, QString> hardwarePorts(const QString& root) {
    QMap<QString, QString> ports;
    for (const QString& device : devices(root)) {
        if (const auto port = portOf(root, device))
            ports.insert(device, *port);
    }
    return ports;
}

QStringList tunnels(const QString& root) {
    static constexpr std::array<int, 7> tunnelTypes{ARPHRD_NONE, ARPHRD_PPP,   ARPHRD_TUNNEL, ARPHRD_TUNNEL6,
                                                    ARPHRD_SIT,  ARPHRD_IPGRE, ARPHRD_IP6GRE};
    QStringList found;
    for (const QString& device : devices(root)) {
        const QString dir = root + u'/' + device;
        // Hardware is no tunnel, though a modem's raw IP link has no Ethernet frame either.
        if (QFileInfo::exists(dir + u"/device"_s))
            continue;
        bool ok = false;
        const int type = readSmall(dir + u"/type"_s).toInt(&ok);
        if (!ok)
            continue;
        // A tun device tells its mode; a tap device carries Ethernet frames, as virtual machines' links do.
        const QByteArray tunFlags = readSmall(dir + u"/tun_flags"_s);
        const bool tun = !tunFlags.isEmpty() && (tunFlags.toUInt(nullptr, 16) & IFF_TUN);
        const bool listed = std::find(tunnelTypes.begin(), tunnelTypes.end(), type) != tunnelTypes.end();
        if (tun || listed || ueventSays(dir, "DEVTYPE=wireguard"))
            found.append(device);
    }
    return found;
}

QMap<QString, QString> currentMACs(const QString& root) {
    QMap<QString, QString> macs;
    for (const QString& device : devices(root)) {
        const QString dir = root + u'/' + device;
        if (readSmall(dir + u"/type"_s) != QByteArray::number(ARPHRD_ETHER))
            continue;
        const QString address = QString::fromLatin1(readSmall(dir + u"/address"_s)).toLower();
        if (address.size() == 17 && address.count(u':') == 5 && address != u"00:00:00:00:00:00"_s)
            macs.insert(device, address);
    }
    return macs;
}

std::optional<QString> permanentMAC(const QString& device) {
    const QByteArray name = device.toLocal8Bit();
    if (name.size() >= IFNAMSIZ)
        return std::nullopt;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    // The request header is followed by room for the address.
    alignas(ethtool_perm_addr) std::array<unsigned char, sizeof(ethtool_perm_addr) + MAX_ADDR_LEN> request{};
    ethtool_perm_addr header{};
    header.cmd = ETHTOOL_GPERMADDR;
    header.size = MAX_ADDR_LEN;
    std::memcpy(request.data(), &header, sizeof header);
    ifreq ifr{};
    std::memcpy(ifr.ifr_name, name.constData(), std::size_t(name.size()));
    ifr.ifr_data = reinterpret_cast<char*>(request.data());
    const int result = ioctl(fd, SIOCETHTOOL, &ifr);
    ::close(fd);
    std::memcpy(&header, request.data(), sizeof header);
    if (result != 0 || header.size != 6)
        return std::nullopt;
    const QString text = macText(request.data() + sizeof(ethtool_perm_addr), 6);
    if (text == u"00:00:00:00:00:00"_s)
        return std::nullopt;
    return text;
}

} // namespace platform::sysfs
