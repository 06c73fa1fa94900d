#include "details/advanced.h"
#include "details/process_traffic.h"
#include "platform/linux/addresses.h"
#include "platform/linux/hardware_ports.h"
#include "platform/linux/netlink.h"
#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/resolv_conf.h"
#include "platform/linux/router.h"
#include "platform/linux/rtnetlink.h"
#include "platform/linux/vpn_programs.h"
#include "platform/linux/wifi_link.h"
#include "support/fake_clock.h"
#include "support/netns.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace Qt::StringLiterals;
using namespace platform;
using netlink::Bytes;
using Blob = std::vector<std::byte>;

namespace {

// What a malformed security element reads as in the tables below.
constexpr int malformed = 100;

Blob operator+(Blob a, const Blob& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class TestLinuxNetwork : public QObject {
    Q_OBJECT

    static Bytes bytesOf(QByteArrayView b) { return std::as_bytes(std::span(b.data(), std::size_t(b.size()))); }
    template <typename T> static Bytes valueOf(const T& v) { return std::as_bytes(std::span(&v, 1)); }
    // A vector built from a range allocates exactly its size, so the sanitizer build catches any read past the end.
    static Blob exact(Bytes b) { return {b.begin(), b.end()}; }
    template <typename T> static Blob blob(const T& v) { return exact(valueOf(v)); }
    static Blob text(const char* s) { return exact(bytesOf(QByteArrayView(s, qsizetype(std::strlen(s) + 1)))); }
    static Blob bytes(std::initializer_list<int> values) {
        Blob b;
        std::ranges::transform(values, std::back_inserter(b), [](int v) { return std::byte(v); });
        return b;
    }
    static Blob nest(std::initializer_list<std::pair<quint16, Blob>> attributes) {
        Blob out;
        for (const auto& [type, payload] : attributes)
            netlink::appendAttribute(out, type, payload);
        return out;
    }
    // A generic netlink payload as nl80211 sends it: the generic header, then the attributes, sized exactly.
    static Blob genl(quint8 command, std::initializer_list<std::pair<quint16, Blob>> attributes) {
        return blob(genlmsghdr{command, 1, 0}) + nest(attributes);
    }
    // An RSN element body: version 1, CCMP group cipher, one CCMP pairwise cipher, then the key managements.
    static Blob rsn(std::initializer_list<int> akms) {
        Blob b = bytes({1, 0, 0x00, 0x0f, 0xac, 4, 1, 0, 0x00, 0x0f, 0xac, 4, int(akms.size()), 0});
        for (const int akm : akms)
            b = b + bytes({0x00, 0x0f, 0xac, akm});
        return b;
    }
    static Blob element(int id, const Blob& body) { return bytes({id, int(body.size())}) + body; }
    // "key=value" per entry, " · " between them.
    static QString text(const QMap<QString, QString>& map) {
        QStringList entries;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries.append(it.key() + u'=' + it.value());
        return entries.join(u" · "_s);
    }
    // A link reading as "iface ssid channel/band/width bssid rssi rate phy mcs/nss", "-" for what is absent.
    static QString text(const WifiLink& l) {
        const auto n = [](std::optional<int> v) { return v ? QString::number(*v) : u"-"_s; };
        return QStringList{l.iface,
                           l.ssid.value_or(u"-"_s),
                           u"%1/%2/%3"_s.arg(n(l.channel)).arg(int(l.band)).arg(int(l.width)),
                           l.bssid.value_or(u"-"_s),
                           n(l.rssi),
                           QString::number(l.txRate),
                           QString::number(int(l.phy)),
                           n(l.mcs) + u'/' + n(l.nss)}
            .join(u' ');
    }
    static bool write(const QString& path, const QByteArray& content) {
        QFile f(path);
        return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) &&
               f.write(content) == content.size();
    }

private slots:
    void nl80211Replies() {
        // The name and SSID (null for none) of an interface, as "name ssid".
        const std::tuple<const char*, QByteArray, QString> rows[]{{"wlp2s0", "Caf\xc3\xa9 5G"_ba, u"wlp2s0 Café 5G"_s},
                                                                  {"wlan0", QByteArray(), u"wlan0 -"_s}};
        for (const auto& [name, ssid, expected] : rows) {
            const quint32 index = 3; // an attribute the parser passes over
            const Blob reply = genl(NL80211_CMD_NEW_INTERFACE,
                                    {{NL80211_ATTR_IFINDEX, blob(index)}, {NL80211_ATTR_IFNAME, text(name)}}) +
                               (ssid.isNull() ? Blob() : nest({{NL80211_ATTR_SSID, exact(bytesOf(ssid))}}));
            const auto wifi = nl80211::parseInterface(reply);
            QCOMPARE(wifi ? wifi->name + u' ' + wifi->ssid.value_or(u"-"_s) : QString(), expected);
        }
        QCOMPARE(nl80211::parseFamilyId(genl(CTRL_CMD_NEWFAMILY, {{CTRL_ATTR_FAMILY_NAME, text("nl80211")},
                                                                  {CTRL_ATTR_FAMILY_ID, blob(quint16(0x123))}})),
                 quint16(0x123));
    }

    void routes() {
        // Down, reject and non-default routes have lower metrics; equal metrics keep the first.
        const auto ranked = routes::parse(
            "down0 00000000 0101A8C0 0002 0 0 0 00000000\n* 00000000 00000000 0201 0 0 1 00000000\n"
            "net0 0000000A 00000000 0001 0 0 2 000000FF\nhost0 00000000 00000000 0001 0 0 3 0000FFFF\n"
            "wlan0 00000000 0101A8C0 0003 0 0 600 00000000\nenp3s0 00000000 0100000A 0003 0 0 100 00000000\n"
            "usb0 00000000 012BA8C0 0003 0 0 100 00000000\n");
        QCOMPARE(int(ranked.size()), 7);
        const auto best = routes::defaultRoute(ranked);
        QCOMPARE(best ? u"%1 %2"_s.arg(best->iface).arg(best->gateway, 0, 16) : QString(), u"enp3s0 a000001"_s);

        const auto table = routes::parse("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\n"
                                         "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\n"
                                         "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\n"
                                         "wlan0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\n"
                                         "tun0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\n");
        // As the kernel prints it: the router's advertisement, an unreachable default on lo, a prefix route.
        const auto table6 =
            routes::parse6("00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                           "fe800000000000000000000000000001 00000400 00000001 00000000 00450003     eth1\n"
                           "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                           "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n"
                           "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
                           "00000000000000000000000000000000 00000100 00000001 00000000 00000001     eth1\n"
                           "short line\n");
        const std::vector<routes::Route> none;
        QCOMPARE(routes::router(table, table6, u"wlan0"_s), std::optional(u"192.168.0.1"_s));
        // IPv6 only: the router's link-local address.
        QCOMPARE(routes::router(none, table6, u"eth1"_s), std::optional(u"fe80::1"_s));
        QCOMPARE(routes::defaultInterface(none, table6), u"eth1"_s);
    }

    void choosePrimary() {
        // Wireless interfaces as name or name=ssid; current ones as name, or name* with an IPv4 address; the
        // primary as name=ssid for a wireless one, name= without an SSID.
        const std::tuple<QString, QString, QString, QString> rows[]{
            {u"wlan0=A wlan1=B"_s, u"eth0"_s, u"eth0* wlan0 wlan1*"_s, u"wlan1=B"_s}, // wifi with an address wins
            {u"wlan0=A"_s, u"enp3s0"_s, u"enp3s0* wlan0"_s, u"enp3s0"_s},             // route when wifi has none
            {u"wlan0 wlan1=Cafe"_s, u"wlan1"_s, QString(), u"wlan1=Cafe"_s},          // route through wifi
            {u"wlan3 wlan1=B"_s, QString(), u"eth0*"_s, u"wlan3="_s},                 // first wifi
            {QString(), QString(), u"lo* docker0 eth1 enp3s0 veth1"_s, u"enp3s0"_s},  // first measured
            {QString(), QString(), u"lo* tun0 br0"_s, QString()}};                    // nothing measured
        for (const auto& [wireless, route, current, primary] : rows) {
            std::vector<nl80211::WirelessInterface> wifi;
            for (const QString& w : wireless.split(u' ', Qt::SkipEmptyParts))
                wifi.push_back(
                    {w.section(u'=', 0, 0), 0, w.contains(u'=') ? std::optional(w.section(u'=', 1)) : std::nullopt});
            Interfaces now;
            for (const QString& entry : current.split(u' ', Qt::SkipEmptyParts)) {
                const QString name = entry.chopped(entry.endsWith(u'*') ? 1 : 0);
                now.bytes.insert(name, Counters{1, 2});
                if (name != entry)
                    now.ipv4.insert(name, u"10.1.1.1"_s);
            }
            const Link link = platform::choosePrimary(wifi, route, now);
            QCOMPARE(link.wireless ? link.primary + u'=' + link.ssid.value_or(QString()) : link.primary, primary);
        }
        const auto station = [](const char* name, std::optional<QString> ssid, quint32 type = NL80211_IFTYPE_STATION) {
            return nl80211::WirelessInterface{QString::fromLatin1(name), type, std::move(ssid)};
        };
        // An idle internal card and an associated USB dongle: the dongle; an access point is no station.
        QCOMPARE(wifi::chooseStation({station("wlp2s0", {}), station("wlx00c0ca", u"Dom"_s)})->name, u"wlx00c0ca"_s);
        QCOMPARE(wifi::chooseStation({station("wlan0", u"Hot"_s, NL80211_IFTYPE_AP), station("wlan1", {})})->name,
                 u"wlan1"_s);
        QCOMPARE(wifi::chooseStation({}), nullptr);
    }

    void security() {
        const auto code = [](std::optional<WifiSecurity> s) { return s ? int(*s) : malformed; };
        const std::tuple<const char*, Blob, WifiSecurity> rsnRows[]{
            {"psk", rsn({2}), WifiSecurity::WPA2Personal},
            {"sae", rsn({8}), WifiSecurity::WPA3Personal},
            {"psk+sae transition", rsn({2, 8}), WifiSecurity::WPA2WPA3},
            {"802.1x", rsn({1}), WifiSecurity::WPA2Enterprise},
            {"802.1x sha256", rsn({5}), WifiSecurity::WPA3Enterprise},
            {"owe is another kind", rsn({18}), WifiSecurity::Other},
            {"psk with 802.1x", rsn({2, 1}), WifiSecurity::Other},
            {"no suites listed", rsn({}), WifiSecurity::Other}};
        for (const auto& [name, body, expected] : rsnRows)
            QVERIFY2(code(wifi::rsnSecurity(body)) == int(expected), name);

        const Blob ssid = element(0, bytes({'D', 'o', 'm'})), wpa = element(221, bytes({0x00, 0x50, 0xf2, 1, 1, 0}));
        const Blob sae = element(48, rsn({8}));
        const std::tuple<const char*, Blob, quint16, int> pointRows[]{
            {"sae", ssid + sae, 0x11, int(WifiSecurity::WPA3Personal)},
            {"wpa", ssid + wpa, 0x11, int(WifiSecurity::WPA)},
            {"rsn beside wpa is mixed", ssid + sae + wpa, 0x11, int(WifiSecurity::WPAMixed)},
            {"malformed rsn beside wpa", ssid + element(48, bytes({1})) + wpa, 0x11, malformed},
            {"privacy bit only", ssid, 0x11, int(WifiSecurity::WEP)},
            {"open", ssid, 0x01, int(WifiSecurity::Open)}};
        for (const auto& [name, elements, capability, security] : pointRows) {
            QVERIFY2(code(wifi::accessPointOf(elements, capability).security) == security, name);
        }
    }

    void interfaceAndStation() {
        WifiLink link;
        const quint32 freq = 5180;
        const quint32 width = NL80211_CHAN_WIDTH_80;
        const Blob iface = genl(NL80211_CMD_NEW_INTERFACE, {{NL80211_ATTR_IFNAME, text("wlp2s0")},
                                                            {NL80211_ATTR_SSID, bytes({'D', 'o', 'm'})},
                                                            {NL80211_ATTR_WIPHY_FREQ, blob(freq)},
                                                            {NL80211_ATTR_CHANNEL_WIDTH, blob(width)}});
        wifi::readInterface(iface, link);
        QCOMPARE(text(link), u"wlp2s0 Dom 36/2/3 - - 0 0 -/-"_s); // 5 GHz, 80 MHz

        const quint32 rate = 8665;
        const Blob bitrate = nest({{NL80211_RATE_INFO_BITRATE32, blob(rate)},
                                   {NL80211_RATE_INFO_VHT_MCS, bytes({9})},
                                   {NL80211_RATE_INFO_VHT_NSS, bytes({2})}});
        const Blob station =
            genl(NL80211_CMD_NEW_STATION, {{NL80211_ATTR_MAC, bytes({0xa4, 0x83, 0xe7, 0x01, 0x02, 0x03})},
                                           {NL80211_ATTR_STA_INFO, nest({{NL80211_STA_INFO_SIGNAL, bytes({0xcc})},
                                                                         {NL80211_STA_INFO_TX_BITRATE, bitrate}})}});
        wifi::readStation(station, link);
        QCOMPARE(text(link), u"wlp2s0 Dom 36/2/3 a4:83:e7:01:02:03 -52 866.5 5 9/2"_s); // 802.11ac
    }

    void surveyAndScan() {
        // Only the channel in use gives the noise.
        const auto noise = [](std::initializer_list<std::pair<quint16, Blob>> info) {
            return wifi::surveyNoise(genl(NL80211_CMD_NEW_SURVEY_RESULTS, {{NL80211_ATTR_SURVEY_INFO, nest(info)}}));
        };
        QCOMPARE(noise({{NL80211_SURVEY_INFO_NOISE, bytes({0xa0})}}), std::nullopt);
        QCOMPARE(noise({{NL80211_SURVEY_INFO_NOISE, bytes({0xa5})}, {NL80211_SURVEY_INFO_IN_USE, {}}}),
                 std::optional(-91));

        const quint32 associated = NL80211_BSS_STATUS_ASSOCIATED;
        const quint16 capability = 0x0411;
        const Blob ies = element(0, bytes({'D', 'o', 'm'})) + element(48, rsn({2, 8}));
        const Blob scan =
            genl(NL80211_CMD_NEW_SCAN_RESULTS,
                 {{NL80211_ATTR_BSS, nest({{NL80211_BSS_BSSID, bytes({0xa4, 0x83, 0xe7, 0x01, 0x02, 0x03})},
                                           {NL80211_BSS_CAPABILITY, blob(capability)},
                                           {NL80211_BSS_INFORMATION_ELEMENTS, ies},
                                           {NL80211_BSS_STATUS, blob(associated)},
                                           {NL80211_BSS_MLD_ADDR, bytes({0xa6, 0x83, 0xe7, 0, 0, 9})}})}});
        const auto bss = wifi::parseBss(scan);
        QVERIFY(bss);
        QCOMPARE(bss->bssid, u"a4:83:e7:01:02:03"_s);
        // A multi-link station knows its access point by this address.
        QCOMPARE(bss->mld, std::optional(u"a6:83:e7:00:00:09"_s));
        QVERIFY(bss->associated);
        QCOMPARE(bss->point.security, std::optional(WifiSecurity::WPA2WPA3));
    }

    void resolverFiles() {
        // The resolver file, NetworkManager's list, resolved's list, what resolved says over D-Bus, and what shows.
        const QByteArray none;
        const std::tuple<const char*, QByteArray, QByteArray, QByteArray, QString, QString> rows[]{
            {"plain server", "nameserver 192.168.1.1\n", "nameserver 9.9.9.9\n", none, u"1.1.1.1"_s, u"192.168.1.1"_s},
            {"resolved's stub, asked over D-Bus", "nameserver 127.0.0.53\noptions edns0 trust-ad\n", none,
             "nameserver 192.168.7.1\n", u"192.168.7.2"_s, u"192.168.7.2"_s},
            {"NetworkManager's dnsmasq", "nameserver 127.0.1.1\n", "nameserver 127.0.0.1\nnameserver 2001:db8::53\n",
             none, QString(), u"2001:db8::53"_s},
            {"local unbound with nothing behind it", "nameserver 127.0.0.1\n", none, none, QString(), u"127.0.0.1"_s},
            {"scoped link-local", "nameserver fe80::1%wlan0\n", none, none, QString(), u"fe80::1%wlan0"_s}};
        for (const auto& [name, resolvConf, networkManager, resolved, upstream, shown] : rows) {
            QTemporaryDir dir;
            const resolv::Files files{dir.filePath(u"resolv.conf"_s), dir.filePath(u"no-stub.conf"_s),
                                      dir.filePath(u"resolved.conf"_s)};
            for (const auto& [path, text] : {std::pair{files.resolvConf, resolvConf},
                                             {files.networkManager, networkManager},
                                             {files.resolved, resolved}})
                QVERIFY(text.isNull() || write(path, text));
            const QString up = upstream;
            const auto server =
                resolv::nameserver([&] { return up.isEmpty() ? std::nullopt : std::optional(up); }, files);
            QVERIFY2(server.value_or(QString()) == shown, name);
        }
    }

    void sysfsTree() {
        QTemporaryDir dir;
        const QString root = dir.filePath(u"class/net"_s), devices = dir.filePath(u"devices"_s);
        const auto device = [&](const QString& name, const QString& real, const QByteArray& uevent, int type,
                                const QByteArray& address) {
            const QString path = devices + u'/' + real + u"/net/"_s + name;
            QVERIFY(write(path + u"/uevent"_s, uevent));
            QVERIFY(write(path + u"/type"_s, QByteArray::number(type) + '\n'));
            QVERIFY(write(path + u"/address"_s, address + '\n'));
            QDir().mkpath(root);
            QVERIFY(QFile::link(path, root + u'/' + name));
            if (!real.startsWith(u"virtual"))
                QDir().mkpath(path + u"/device"_s);
        };
        device(u"eth0"_s, u"pci0000:00/0000:00:1f.6"_s, "INTERFACE=eth0\n", 1, "A4:83:E7:01:02:03");
        device(u"wlan0"_s, u"pci0000:00/0000:00:14.3"_s, "DEVTYPE=wlan\nINTERFACE=wlan0\n", 1, "3a:1b:2c:3d:4e:5f");
        device(u"enx00e04c"_s, u"pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0"_s, "INTERFACE=enx00e04c\n", 1,
               "00:e0:4c:68:00:01");
        device(u"wwan0"_s, u"pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.12"_s, "DEVTYPE=wwan\n", 65534, "");
        device(u"br0"_s, u"virtual"_s, "DEVTYPE=bridge\n", 1, "02:42:ac:11:00:01");
        QDir().mkpath(root + u"/br0/bridge"_s);
        device(u"tun0"_s, u"virtual"_s, "DEVTYPE=tun\n", 65534, "");
        device(u"dummy0"_s, u"virtual"_s, "", 1, "00:00:00:00:00:00");
        // A device that vanished: its link is left dangling.
        QVERIFY(QFile::link(devices + u"/gone"_s, root + u"/eth9"_s));
        QVERIFY(write(root + u"/bonding_masters"_s, "\n"));

        QCOMPARE(text(sysfs::hardwarePorts(root)),
                 u"br0=Bridge · enx00e04c=USB LAN · eth0=Ethernet · wlan0=Wi-Fi · wwan0=WWAN"_s);
        QCOMPARE(text(sysfs::currentMACs(root)), u"br0=02:42:ac:11:00:01 · enx00e04c=00:e0:4c:68:00:01 · "
                                                 u"eth0=a4:83:e7:01:02:03 · wlan0=3a:1b:2c:3d:4e:5f"_s);
        // Tunnels by kind, whatever their names: a tap device and a modem's raw IP link are none.
        device(u"cscotun0"_s, u"virtual"_s, "DEVTYPE=tun\n", 65534, "");
        QVERIFY(write(root + u"/cscotun0/tun_flags"_s, "0x1001\n"));
        device(u"vnet0"_s, u"virtual"_s, "DEVTYPE=tun\n", 1, "fe:54:00:12:34:56");
        QVERIFY(write(root + u"/vnet0/tun_flags"_s, "0x1002\n"));
        device(u"office"_s, u"virtual"_s, "DEVTYPE=wireguard\n", 65534, "");
        device(u"ppp0"_s, u"virtual"_s, "", 512, "");
        device(u"gre1"_s, u"virtual"_s, "", 778, "");
        QCOMPARE(sysfs::tunnels(root), (QStringList{u"cscotun0"_s, u"gre1"_s, u"office"_s, u"ppp0"_s, u"tun0"_s}));
    }

    void vpnPrograms() {
        QTemporaryDir dir;
        const QString root = dir.path();
        // Mullvad's daemon holds a tun descriptor attached to tun1; NordVPN's cannot be looked into.
        QVERIFY(write(root + u"/11/fdinfo/5"_s, "pos:\t0\nflags:\t02\niff:\ttun1\n"));
        QDir().mkpath(root + u"/11/fd"_s);
        QVERIFY(QFile::link(u"/dev/net/tun"_s, root + u"/11/fd/5"_s));
        const std::vector<procnet::Process> running{{10, u"nordvpnd"_s, {}}, {11, u"mullvad-daemon"_s, {}}};
        const QStringList tunnels{u"nordlynx"_s, u"tun0"_s, u"tun1"_s, u"wg0-mullvad"_s, u"CloudflareWARP"_s};
        QCOMPARE(text(vpn::owners(tunnels, running, root)),
                 u"CloudflareWARP= · nordlynx=NordVPN · tun0= · tun1=Mullvad VPN · wg0-mullvad=Mullvad VPN"_s);
    }

    void samplerCountsEachSocketOnce() {
        // Samples in order, each "socket=received,acked ..." (the dump) then "| pid:name:inode,inode ..."
        // (the processes and their descriptors); then the totals of the last one.
        const std::tuple<const char*, QStringList, QString> rows[]{
            {"one socket, two processes",
             {u"11=100,10 12=200,20 13=5,5 99=7,7 | 1:firefox:11,12 2:a,b:13 3:idle:"_s},
             u"a_b.2=5,5 firefox.1=300,30"_s},
            {"ended", {u"11=100,10 | 1:firefox:11"_s, u"| 3:idle:"_s}, QString()},
            {"missing from one dump",
             {u"11=100,10 | 1:firefox:11"_s, u"| 1:firefox:11"_s, u"11=150,15 | 1:firefox:11"_s},
             u"firefox.1=150,15"_s},
            {"passed to another process",
             {u"11=100,10 | 1:sshd:11 2:bash:"_s, u"11=150,15 | 1:sshd: 2:bash:11"_s,
              u"11=170,17 | 1:sshd: 2:bash:11"_s},
             u"bash.2=70,7 sshd.1=100,10"_s},
            {"shared after a fork counts for the first",
             {u"11=100,10 | 1:nginx:11 2:nginx:11"_s},
             u"nginx.1=100,10"_s}};
        for (const auto& [name, samples, expected] : rows) {
            procnet::Sampler sampler;
            ProcessSample last;
            for (const QString& step : samples) {
                std::vector<procnet::SocketBytes> sockets;
                std::vector<procnet::Process> processes;
                for (const QString& s : step.section(u'|', 0, 0).split(u' ', Qt::SkipEmptyParts)) {
                    const QStringList counts = s.section(u'=', 1).split(u',');
                    sockets.push_back(
                        {s.section(u'=', 0, 0).toULongLong(), counts[0].toULongLong(), counts[1].toULongLong()});
                }
                for (const QString& p : step.section(u'|', 1).split(u' ', Qt::SkipEmptyParts)) {
                    processes.push_back({p.section(u':', 0, 0).toInt(), p.section(u':', 1, 1), {}});
                    for (const QString& inode : p.section(u':', 2).split(u',', Qt::SkipEmptyParts))
                        processes.back().sockets.push_back(inode.toULongLong());
                }
                last = parseSample(QString::fromUtf8(sampler.join(sockets, processes)));
            }
            QStringList totals;
            for (auto it = last.cbegin(); it != last.cend(); ++it)
                totals.append(u"%1=%2,%3"_s.arg(it.key()).arg(it->in).arg(it->out));
            QVERIFY2(totals.join(u' ') == expected, name);
        }
    }

    void samplerSeesLoopbackTraffic() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        QVERIFY(client.waitForConnected(5000));

        procnet::Sampler sampler;
        // Longer than the kernel's 15 bytes: its whole name comes from the command line.
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName() + u'.' +
                             QString::number(QCoreApplication::applicationPid());
        const ProcessSample before = parseSample(QString::fromUtf8(sampler.sample()));

        constexpr qint64 amount = 3'000'000;
        const QByteArray chunk(64 * 1024, 'x');
        qint64 sent = 0, received = 0;
        while (received < amount) {
            if (sent < amount) {
                sent += client.write(chunk.left(int(std::min<qint64>(chunk.size(), amount - sent))));
                client.waitForBytesWritten(100);
            }
            if (peer->waitForReadyRead(100) || peer->bytesAvailable() > 0)
                received += peer->readAll().size();
        }
        const ProcessSample after = parseSample(QString::fromUtf8(sampler.sample()));
        QVERIFY2(after.contains(self), qPrintable(self));
        const Counters was = before.value(self);
        QVERIFY2(after[self].in - was.in >= quint64(amount), qPrintable(QString::number(after[self].in)));
        QVERIFY(after[self].out - was.out >= quint64(amount));

        // Closing both ends does not lower the process's totals.
        client.close();
        delete peer;
        const ProcessSample closed = parseSample(QString::fromUtf8(sampler.sample()));
        QVERIFY(closed[self].in >= after[self].in && closed[self].out >= after[self].out);
    }

    void socketReportsKernelErrorsAndRecovers() {
        netlink::Socket socket(NETLINK_ROUTE);
        std::optional<rtnetlink::LinkInfo> link;
        const auto get = [&](int index) {
            netlink::Builder request(RTM_GETLINK, NLM_F_REQUEST);
            request.append(ifinfomsg{0, 0, 0, index, 0, 0});
            return socket.exchange(request, [&](const netlink::Message& m) { link = rtnetlink::parseLink(m.payload); });
        };
        QCOMPARE(get(0x7ffffff0), ENODEV);
        // The failure closed the socket; the next exchange opens a fresh one.
        QCOMPARE(get(1), 0);
        QCOMPARE(link.value().name, u"lo"_s);
    }

    // The counters in a namespace are checked against the kernel's by the monitor's own namespace test.
    void insideANamespace() {
        QString why;
        const auto pair = VethPair::create(u"eth7"_s, u"172.20.10.2/28"_s, u"172.20.10.1/28"_s, &why);
        if (!pair)
            QSKIP(qPrintable(why));
        // Made outside, first used inside: it must read the namespace of its first reading. The pair's destructor
        // brings the thread home, also after a failed check.
        const auto net = systemNetwork();
        pair->enterA();
        const Interfaces first = net->interfaces();
        QCOMPARE(first.ipv4, (QMap<QString, QString>{{u"eth7"_s, u"172.20.10.2"_s}, {u"lo"_s, u"127.0.0.1"_s}}));
        QVERIFY(first.bytes.contains(u"eth7"_s) && first.bytes.contains(u"lo"_s));
        QCOMPARE(net->link(first).primary, u"eth7"_s);
        pair->inA(u"ip route add default via 172.20.10.1"_s);
        QCOMPARE(net->link(first).primary, u"eth7"_s);
        // Through an interface that is not measured, the route shows it outranks the fallback.
        pair->inA(u"ip route replace default dev lo"_s);
        QCOMPARE(net->link(first).primary, u"lo"_s);

        // The details on the system's own readings list global and unique-local IPv6 addresses, not loopback or
        // link-local ones.
        pair->inA(u"sysctl -qw net.ipv6.conf.eth7.disable_ipv6=0"_s);
        pair->inA(u"ip addr add 2001:db8::5/64 dev eth7 nodad"_s);
        pair->inA(u"ip addr add fd00::5/64 dev eth7 nodad"_s);
        FakeClock clock;
        Advanced a(clock);
        a.update(first);
        QVERIFY(QTest::qWaitFor([&] { return a.samples() == 1 && a.slowReadings() == 1 && !a.linkBusy(); }));
        QStringList seen;
        for (const KV& row : a.addrs())
            seen.append(row.k);
        seen.sort();
        QCOMPARE(seen, (QStringList{u"eth7 172.20.10.2"_s, u"eth7 2001:db8::5"_s, u"eth7 fd00::5"_s}));
    }
};

QTEST_GUILESS_MAIN(TestLinuxNetwork)
#include "tst_linux_network.moc"
