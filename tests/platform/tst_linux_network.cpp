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
using Attrs = std::vector<std::pair<quint16, Bytes>>;

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
    static QByteArray copy(Bytes b) { return {reinterpret_cast<const char*>(b.data()), qsizetype(b.size())}; }
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
    // What a message parser gets: the bytes after the netlink header.
    static Blob payload(const QByteArray& m) { return exact(bytesOf(QByteArrayView(m).sliced(NLMSG_HDRLEN))); }
    static qsizetype count(Bytes b) { return std::ranges::distance(netlink::Attributes(b)); }

    // One message as the kernel sends it: a fixed header, then attributes.
    template <typename Header>
    static QByteArray message(quint16 type, quint32 seq, const Header& header, const Attrs& attrs = {},
                              quint16 flags = NLM_F_MULTI) {
        netlink::Builder b(type, flags);
        b.setSequence(seq);
        b.append(header);
        for (const auto& [attr, bytes] : attrs)
            b.attribute(attr, bytes);
        return copy(b.bytes());
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
    // "key=value" per entry, " · " between them; "pid:name:socket,socket" per process.
    static QString text(const QMap<QString, QString>& map) {
        QStringList entries;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries.append(it.key() + u'=' + it.value());
        return entries.join(u" · "_s);
    }
    static QString text(std::vector<procnet::Process> found) {
        QStringList entries;
        for (procnet::Process& p : found) {
            std::ranges::sort(p.sockets);
            QStringList sockets;
            for (const quint64 s : p.sockets)
                sockets.append(QString::number(s));
            entries.append(u"%1:%2:%3"_s.arg(p.pid).arg(p.name, sockets.join(u',')));
        }
        return entries.join(u' ');
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
    void attributes() {
        Blob inner, outer;
        netlink::appendAttribute(inner, 3 | NLA_F_NET_BYTEORDER, bytesOf(QByteArrayView("eth0\0junk", 9)));
        netlink::appendAttribute(outer, 1, bytesOf("abc"));
        netlink::appendAttribute(outer, 2 | NLA_F_NESTED, inner);
        netlink::appendAttribute(outer, 4, {});
        std::vector<netlink::Attribute> all;
        std::ranges::copy(netlink::Attributes(outer), std::back_inserter(all));
        QVERIFY(all.size() == 3 && all[0].text() == u"abc"_s && all[1].type == 2 && all[2].type == 4 &&
                all[2].payload.empty());
        const netlink::Attribute child = *netlink::Attributes(all[1].payload).begin();
        QVERIFY(count(all[1].payload) == 1 && child.type == 3 && child.text() == u"eth0"_s);
        // Cut anywhere, exactly the attributes whose unpadded end (7, 28, 32) the cut reaches come out.
        for (std::size_t cut = 0; cut <= outer.size(); ++cut)
            QCOMPARE(count(exact(Bytes(outer).first(cut))), (cut >= 7) + (cut >= 28) + (cut >= 32));
        // A bad length stops the walk: zero, shorter than the header, past the end, the largest.
        for (const quint16 length : {0, 3, 9, 0xffff})
            QCOMPARE(count(exact(bytesOf("\x05\0\x01\0a\0\0\0"_ba + copy(valueOf(nlattr{length, 2})) + "abcd"))), 1);
    }

    void takeDatagram() {
        const QByteArray link = message(RTM_NEWLINK, 7, 0);
        const auto header = [](quint32 length) { return copy(valueOf(nlmsghdr{length, RTM_NEWLINK, 0, 7, 0})); };
        const QByteArray other = message(RTM_NEWLINK, 6, 0) + message(NLMSG_DONE, 6, 0) + message(NLMSG_ERROR, 8, -1);
        // The datagram, the error it ends with (-1 while the reply goes on), the messages handled.
        const std::tuple<const char*, QByteArray, int, int> rows[]{
            {"ends at DONE", link + link + message(NLMSG_DONE, 7, 0) + link, 0, 2},
            {"goes on without DONE", link + message(NLMSG_NOOP, 7, 0), -1, 1},
            {"other requests", other + link, -1, 1},
            {"error", message(NLMSG_ERROR, 7, -ENOENT), ENOENT, 0},
            {"positive error", message(NLMSG_ERROR, 7, 5), EPROTO, 0},
            {"most negative error", message(NLMSG_ERROR, 7, INT_MIN), EPROTO, 0},
            {"most negative inside DONE", message(NLMSG_DONE, 7, INT_MIN), EPROTO, 0},
            {"acknowledgement", message(NLMSG_ERROR, 7, 0) + link, 0, 0},
            {"error inside DONE", link + message(NLMSG_DONE, 7, -EINTR), EINTR, 1},
            {"single part", message(GENL_ID_CTRL, 7, 0, {}, 0) + link, 0, 1},
            {"overrun", message(NLMSG_OVERRUN, 7, 0), EOVERFLOW, 0},
            // A length that does not fit fails the datagram, keeping what came before.
            {"length zero", link + header(0), EPROTO, 1},
            {"length short of the header", link + header(15), EPROTO, 1},
            {"largest length", link + header(0xffffffff), EPROTO, 1}};
        for (const auto& [name, datagram, error, handled] : rows) {
            int seen = 0;
            const auto progress =
                netlink::takeDatagram(exact(bytesOf(datagram)), 7, [&](const netlink::Message&) { ++seen; });
            QVERIFY2(std::pair(progress.done ? progress.error : -1, seen) == std::pair(error, handled), name);
        }
        // A dump cut anywhere: whole messages come through; one cut short fails the datagram.
        const quint64 stats[4]{1, 2, 1000, 2000};
        const auto dumped = [&](int i, const char* name) {
            return message(RTM_NEWLINK, 0, ifinfomsg{0, 0, 0, i, 0, 0},
                           {{IFLA_IFNAME, bytesOf(name)}, {IFLA_STATS64, valueOf(stats)}});
        };
        const QByteArray dump = dumped(1, "lo") + dumped(2, "eth0") + message(NLMSG_DONE, 0, 0);
        const qsizetype first = dumped(1, "lo").size(), second = first + dumped(2, "eth0").size();
        for (qsizetype cut = 0; cut <= dump.size(); ++cut) {
            int parsed = 0;
            const auto progress = netlink::takeDatagram(exact(bytesOf(dump.first(cut))), 0, [&](const auto& m) {
                parsed += rtnetlink::parseLink(m.payload).has_value();
            });
            QCOMPARE(parsed, cut < first ? 0 : cut < second ? 1 : 2);
            const bool between = cut == 0 || cut == first || cut == second;
            QCOMPARE(progress.done ? progress.error : -1, between ? -1 : cut == dump.size() ? 0 : EPROTO);
        }
    }

    void linksAndAddresses() {
        // rtnl_link_stats64 begins with rx_packets, tx_packets, rx_bytes, tx_bytes.
        const quint64 stats[sizeof(rtnl_link_stats64) / 8]{11, 12, (quint64(1) << 40) + 5, 7};
        const Counters counted{(quint64(1) << 40) + 5, 7};
        const auto parse = [&](const char* name, quint16 type, std::size_t size) {
            return rtnetlink::parseLink(payload(message(
                RTM_NEWLINK, 0, ifinfomsg{0, 0, 0, 4, 0, 0},
                {{IFLA_MTU, valueOf(1500)}, {IFLA_IFNAME, bytesOf(name)}, {type, valueOf(stats).first(size)}})));
        };
        const auto link = parse("enp3s0", IFLA_STATS64, sizeof stats).value();
        QVERIFY(link.index == 4 && link.name == u"enp3s0"_s && link.bytes == counted);
        QCOMPARE(parse("eth0", IFLA_STATS, sizeof stats).value().bytes, std::nullopt);
        QCOMPARE(parse("eth0", IFLA_STATS64, 32).value().bytes, counted); // an older kernel's structure
        QCOMPARE(parse("eth0", IFLA_STATS64, 31).value().bytes, std::nullopt);
        QVERIFY(!parse("", IFLA_STATS64, sizeof stats));

        const auto address = [](quint8 family, const QByteArray& local, const QByteArray& far) {
            const Attrs attrs{{IFA_ADDRESS, bytesOf(far)}, {IFA_LOCAL, bytesOf(local)}};
            const auto a =
                rtnetlink::parseAddress(payload(message(RTM_NEWADDR, 0, ifaddrmsg{family, 24, 0, 0, 3}, attrs)));
            return a ? u"%1 %2"_s.arg(a->index).arg(a->address) : QString();
        };
        // On a point-to-point link IFA_ADDRESS is the far end.
        QCOMPARE(address(AF_INET, "\x0a\x08\0\x05"_ba, "\x0a\x08\0\x01"_ba), u"3 10.8.0.5"_s);
        QCOMPARE(address(AF_INET, {}, "\xc0\xa8\xff\xfe"_ba), u"3 192.168.255.254"_s);
        QCOMPARE(address(AF_INET6, "\x01\x02\x03\x04"_ba, {}), QString());
        QCOMPARE(address(AF_INET, QByteArray(16, 1), {}), QString());

        const Interfaces got = rtnetlink::combine(
            {{1, u"lo"_s, Counters{10, 10}}, {2, u"eth0"_s, Counters{300, 400}}, {3, u"wlan0"_s, std::nullopt}},
            {{1, u"127.0.0.1"_s}, {2, u"10.0.0.1"_s}, {9, u"10.9.9.9"_s}, {2, u"10.0.0.2"_s}, {3, u"10.0.3.1"_s}});
        // No counters is not zero counters, which would read as a reset.
        QCOMPARE(got.bytes, (QMap<QString, Counters>{{u"lo"_s, {10, 10}}, {u"eth0"_s, {300, 400}}}));
        QCOMPARE(got.ipv4, (QMap<QString, QString>{
                               {u"lo"_s, u"127.0.0.1"_s}, {u"eth0"_s, u"10.0.0.2"_s}, {u"wlan0"_s, u"10.0.3.1"_s}}));
    }

    void nl80211Replies() {
        // The name (null for none) and SSID (null for none) of an interface, as "name ssid".
        const std::tuple<QString, QByteArray, QString> rows[]{
            {u"wlp2s0"_s, "Caf\xc3\xa9 5G"_ba, u"wlp2s0 Café 5G"_s},
            {u"wlan0"_s, QByteArray(), u"wlan0 -"_s},
            {u"wlan0"_s, ""_ba, u"wlan0 -"_s}, // empty SSID
            {u"wlan0"_s, "a\xff\xfe\x62\0c"_ba, u"wlan0 a\uFFFD\uFFFDb\0c"_s},
            {QString(), "x"_ba, QString()}}; // no network device
        for (const auto& [name, ssid, expected] : rows) {
            const QByteArray utf8 = name.toUtf8();
            const quint32 index = 3; // an attribute the parser passes over
            Attrs attrs{{NL80211_ATTR_IFINDEX, valueOf(index)}};
            if (!name.isNull())
                attrs.push_back({NL80211_ATTR_IFNAME, bytesOf(utf8)});
            if (!ssid.isNull())
                attrs.push_back({NL80211_ATTR_SSID, bytesOf(ssid)});
            const auto wifi =
                nl80211::parseInterface(payload(message(0x1c, 0, genlmsghdr{NL80211_CMD_NEW_INTERFACE, 1, 0}, attrs)));
            QCOMPARE(wifi ? wifi->name + u' ' + wifi->ssid.value_or(u"-"_s) : QString(), expected);
        }
        QCOMPARE(nl80211::parseFamilyId(payload(message(
                     GENL_ID_CTRL, 0, genlmsghdr{CTRL_CMD_NEWFAMILY, 1, 0},
                     {{CTRL_ATTR_FAMILY_NAME, bytesOf("nl80211")}, {CTRL_ATTR_FAMILY_ID, valueOf(quint16(0x123))}}))),
                 quint16(0x123));
    }

    void routes() {
        // As the kernel prints it: tab-separated, lines padded with spaces. Then the count and the default route.
        const QByteArray header =
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT     \n"_ba;
        const std::tuple<QByteArray, int, QString> rows[]{
            {header + "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0     \n"
                      "eth0\t000200C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0     \n",
             2, u"eth0 c0000201"_s},
            {header, 0, QString()},
            // Down, reject and non-default routes have lower metrics; equal metrics keep the first.
            {"down0 00000000 0101A8C0 0002 0 0 0 00000000\n* 00000000 00000000 0201 0 0 1 00000000\n"
             "net0 0000000A 00000000 0001 0 0 2 000000FF\nhost0 00000000 00000000 0001 0 0 3 0000FFFF\n"
             "wlan0 00000000 0101A8C0 0003 0 0 600 00000000\nenp3s0 00000000 0100000A 0003 0 0 100 00000000\n"
             "usb0 00000000 012BA8C0 0003 0 0 100 00000000\n",
             7, u"enp3s0 a000001"_s},
            {"\neth0\neth0 00000000 010200C0 0003 0 0 0\neth0 0000000G 010200C0 0003 0 0 0 00000000\n"
             "eth0 0000000 010200C0 0003 0 0 0 00000000\neth0 00000000 010200C0 0003 0 0 ten 00000000\n"
             "eth0 00000000 010200C0 0003 0 0 99999999999 00000000\n\x01\xff\t\0\n"
             "wwan0 00000000 00000000 0001 0 0 50 00000000\n"_ba,
             1, u"wwan0 0"_s},
            // The metric is printed with %d, so -1 is the largest.
            {"tun0 00000000 00000000 0001 0 0 -1 00000000\r\neth0 00000000 0101A8C0 0003 0 0 2147483647 00000000", 2,
             u"eth0 c0a80101"_s}};
        for (const auto& [text, size, route] : rows) {
            const auto parsed = routes::parse(text);
            const auto best = routes::defaultRoute(parsed);
            QCOMPARE(int(parsed.size()), size);
            QCOMPARE(best ? u"%1 %2"_s.arg(best->iface).arg(best->gateway, 0, 16) : QString(), route);
        }

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
        // Without a route of its own the lowest metric wins; here a tunnel with no gateway.
        QCOMPARE(routes::router(table, table6, QString()), std::nullopt);
        QCOMPARE(routes::router(std::vector(table.begin(), table.begin() + 1), {}, u"wlan0"_s),
                 std::optional(u"192.168.1.1"_s));
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
        Blob cut = rsn({2, 8});
        cut.resize(cut.size() - 2);
        const std::tuple<const char*, Blob, WifiSecurity> rsnRows[]{
            {"psk", rsn({2}), WifiSecurity::WPA2Personal},
            {"psk-sha256 and ft-psk", rsn({6, 4}), WifiSecurity::WPA2Personal},
            {"sae", rsn({8}), WifiSecurity::WPA3Personal},
            {"psk+sae transition", rsn({2, 8}), WifiSecurity::WPA2WPA3},
            {"802.1x", rsn({1}), WifiSecurity::WPA2Enterprise},
            {"802.1x sha256", rsn({5}), WifiSecurity::WPA3Enterprise},
            {"enterprise transition", rsn({1, 5}), WifiSecurity::WPA2Enterprise},
            {"suite-b 192", rsn({12}), WifiSecurity::WPA3Enterprise},
            {"owe is another kind", rsn({18}), WifiSecurity::Other},
            {"psk with 802.1x", rsn({2, 1}), WifiSecurity::Other},
            {"no suites listed", rsn({}), WifiSecurity::Other},
            // Fields left out from the end take the standard's defaults (802.1X); one cut in the middle is malformed.
            {"version only", bytes({1, 0}), WifiSecurity::WPA2Enterprise},
            {"group cipher cut", bytes({1, 0, 0, 0x0f}), WifiSecurity(malformed)},
            {"pairwise list cut short", bytes({1, 0, 0, 0x0f, 0xac, 4, 0xff, 0xff}), WifiSecurity(malformed)},
            {"key management list cut short", cut, WifiSecurity(malformed)},
            {"one byte", bytes({1}), WifiSecurity(malformed)}};
        for (const auto& [name, body, expected] : rsnRows)
            QVERIFY2(code(wifi::rsnSecurity(body)) == int(expected), name);

        const Blob ssid = element(0, bytes({'D', 'o', 'm'})), wpa = element(221, bytes({0x00, 0x50, 0xf2, 1, 1, 0}));
        const Blob sae = element(48, rsn({8})), ht = element(45, Blob(26)), vht = element(191, Blob(12));
        const Blob he = element(255, bytes({35, 0, 0})), eht = element(255, bytes({108, 0, 0}));
        const std::tuple<const char*, Blob, quint16, int, WifiPhy> pointRows[]{
            {"sae", ssid + sae, 0x11, int(WifiSecurity::WPA3Personal), WifiPhy::Unknown},
            {"wpa", ssid + wpa, 0x11, int(WifiSecurity::WPA), WifiPhy::Unknown},
            {"rsn beside wpa is mixed", ssid + sae + wpa, 0x11, int(WifiSecurity::WPAMixed), WifiPhy::Unknown},
            {"malformed rsn beside wpa", ssid + element(48, bytes({1})) + wpa, 0x11, malformed, WifiPhy::Unknown},
            {"privacy bit only", ssid, 0x11, int(WifiSecurity::WEP), WifiPhy::Unknown},
            {"open", ssid, 0x01, int(WifiSecurity::Open), WifiPhy::Unknown},
            // An element whose length runs past the list ends the walk.
            {"broken tail", ssid + bytes({48, 40, 1, 0}), 0x01, int(WifiSecurity::Open), WifiPhy::Unknown},
            {"wifi 5", ssid + ht + vht, 0x01, int(WifiSecurity::Open), WifiPhy::AC},
            {"wifi 7", ssid + eht + he, 0x01, int(WifiSecurity::Open), WifiPhy::BE}};
        for (const auto& [name, elements, capability, security, phy] : pointRows) {
            const AccessPoint point = wifi::accessPointOf(elements, capability);
            QVERIFY2(code(point.security) == security && point.phy == phy, name);
        }
    }

    // The common channels are read in interfaceAndStation; these are the edges of each band.
    void channels() {
        const std::tuple<quint32, std::optional<int>, WifiBand> rows[]{{2484, 14, WifiBand::GHz2_4},
                                                                       {4920, 184, WifiBand::GHz5},
                                                                       {5935, 2, WifiBand::GHz6},
                                                                       {60480, std::nullopt, WifiBand::Unknown}};
        for (const auto& [f, channel, band] : rows)
            QVERIFY2(wifi::channelOf(f) == channel && wifi::bandOf(f) == band, qPrintable(QString::number(f)));
        QCOMPARE(wifi::widthOf(NL80211_CHAN_WIDTH_80P80), WifiWidth::MHz160);
        QCOMPARE(wifi::widthOf(NL80211_CHAN_WIDTH_320), WifiWidth::Unknown);
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

        // Every truncation of the station message reads only what is whole, and never past the end.
        for (std::size_t cut = 0; cut < station.size(); ++cut) {
            WifiLink partial;
            wifi::readStation(Blob(station.begin(), station.begin() + std::ptrdiff_t(cut)), partial);
            QVERIFY(!partial.rssi || *partial.rssi == -52);
            QVERIFY(partial.txRate == 0 || partial.txRate == 866.5);
        }

        // A multi-link association: the channel lives in the link nests, the first link's counts.
        const quint32 f6 = 6115, f5 = 5500, w160 = NL80211_CHAN_WIDTH_160;
        const Blob mlo =
            genl(NL80211_CMD_NEW_INTERFACE,
                 {{NL80211_ATTR_IFNAME, text("wlan0")},
                  {NL80211_ATTR_SSID, bytes({'D', 'o', 'm'})},
                  {NL80211_ATTR_MLO_LINKS,
                   nest({{1, nest({{NL80211_ATTR_MLO_LINK_ID, bytes({0})},
                                   {NL80211_ATTR_MAC, bytes({2, 0, 0, 0, 0, 1})},
                                   {NL80211_ATTR_WIPHY_FREQ, blob(f6)},
                                   {NL80211_ATTR_CHANNEL_WIDTH, blob(w160)}})},
                         {2, nest({{NL80211_ATTR_MLO_LINK_ID, bytes({1})}, {NL80211_ATTR_WIPHY_FREQ, blob(f5)}})}})}});
        WifiLink multi;
        wifi::readInterface(mlo, multi);
        QCOMPARE(text(multi), u"wlan0 Dom 33/3/4 - - 0 0 -/-"_s); // 6 GHz, 160 MHz
    }

    void radioStandards() {
        const quint16 eleven = 110, fiftyFour = 540;
        const Blob legacy54 = nest({{NL80211_RATE_INFO_BITRATE, blob(fiftyFour)}});
        const Blob he = nest({{NL80211_RATE_INFO_HE_MCS, bytes({11})}, {NL80211_RATE_INFO_HE_NSS, bytes({2})}});
        // The band, what was sent and received, the standard read from them and "MCS/NSS".
        const std::tuple<const char*, WifiBand, Blob, Blob, WifiPhy, QString> rows[]{
            {"ht mcs 15", WifiBand::GHz2_4,
             nest({{NL80211_RATE_INFO_BITRATE, blob(quint16(1300))}, {NL80211_RATE_INFO_MCS, bytes({15})}}), Blob(),
             WifiPhy::N, u"7/2"_s},
            {"he", WifiBand::GHz5, he, Blob(), WifiPhy::AX, u"11/2"_s},
            {"eht is none of the table", WifiBand::GHz6,
             nest({{NL80211_RATE_INFO_EHT_MCS, bytes({13})}, {NL80211_RATE_INFO_EHT_NSS, bytes({2})}}), Blob(),
             WifiPhy::BE, u"13/2"_s},
            {"legacy 11 Mbit/s on 2.4 GHz", WifiBand::GHz2_4, nest({{NL80211_RATE_INFO_BITRATE, blob(eleven)}}), Blob(),
             WifiPhy::B, QString()},
            {"legacy 54 Mbit/s on 2.4 GHz", WifiBand::GHz2_4, legacy54, Blob(), WifiPhy::G, QString()},
            {"legacy on 5 GHz", WifiBand::GHz5, legacy54, Blob(), WifiPhy::A, QString()},
            {"legacy sent, he received", WifiBand::GHz5, legacy54, he, WifiPhy::AX, QString()},
            {"he sent, legacy received", WifiBand::GHz5, he, legacy54, WifiPhy::AX, u"11/2"_s},
            {"vht without nss", WifiBand::GHz5, nest({{NL80211_RATE_INFO_VHT_MCS, bytes({9})}}), Blob(), WifiPhy::AC,
             QString()}};
        for (const auto& [name, band, tx, rx, phy, mcsNss] : rows) {
            WifiLink link;
            link.band = band;
            const Blob info = nest({{NL80211_STA_INFO_TX_BITRATE, tx}, {NL80211_STA_INFO_RX_BITRATE, rx}});
            wifi::readStation(genl(NL80211_CMD_NEW_STATION, {{NL80211_ATTR_STA_INFO, info}}), link);
            QVERIFY2(link.phy == phy, name);
            QCOMPARE(link.mcs && link.nss ? u"%1/%2"_s.arg(*link.mcs).arg(*link.nss) : QString(), mcsNss);
        }
    }

    void surveyAndScan() {
        // Only the channel in use gives the noise.
        const auto noise = [](std::initializer_list<std::pair<quint16, Blob>> info) {
            return wifi::surveyNoise(genl(NL80211_CMD_NEW_SURVEY_RESULTS, {{NL80211_ATTR_SURVEY_INFO, nest(info)}}));
        };
        QCOMPARE(noise({{NL80211_SURVEY_INFO_NOISE, bytes({0xa0})}}), std::nullopt);
        QCOMPARE(noise({{NL80211_SURVEY_INFO_NOISE, bytes({0xa5})}, {NL80211_SURVEY_INFO_IN_USE, {}}}),
                 std::optional(-91));
        QCOMPARE(noise({{NL80211_SURVEY_INFO_IN_USE, {}}}), std::nullopt);

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
        for (std::size_t cut = 0; cut < scan.size(); ++cut) {
            const auto partial = wifi::parseBss(Blob(scan.begin(), scan.begin() + std::ptrdiff_t(cut)));
            QVERIFY(!partial || partial->bssid == bss->bssid);
        }
        const Blob shortBssid =
            genl(NL80211_CMD_NEW_SCAN_RESULTS, {{NL80211_ATTR_BSS, nest({{NL80211_BSS_BSSID, bytes({1, 2, 3})}})}});
        QVERIFY(!wifi::parseBss(shortBssid));
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
            {"no file", none, "nameserver 10.0.0.1\n", none, u"1.1.1.1"_s, QString()},
            {"lines that are not servers",
             "# Generated by NetworkManager\nsearch home\nnameserver\nnameserver not-an-address\n;nameserver 9.9.9.9\n"
             "\x01\xff garbage \n  nameserver\t192.168.1.1   # the router\nnameserver 1.1.1.1\n",
             none, none, QString(), u"192.168.1.1"_s},
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
        device(u"lo"_s, u"virtual"_s, "", 772, "00:00:00:00:00:00");
        device(u"dummy0"_s, u"virtual"_s, "", 1, "00:00:00:00:00:00");
        // A device that vanished: its link is left dangling.
        QVERIFY(QFile::link(devices + u"/gone"_s, root + u"/eth9"_s));
        QVERIFY(write(root + u"/bonding_masters"_s, "\n"));

        QCOMPARE(text(sysfs::hardwarePorts(root)),
                 u"br0=Bridge · enx00e04c=USB LAN · eth0=Ethernet · wlan0=Wi-Fi · wwan0=WWAN"_s);
        QCOMPARE(text(sysfs::currentMACs(root)), u"br0=02:42:ac:11:00:01 · enx00e04c=00:e0:4c:68:00:01 · "
                                                 u"eth0=a4:83:e7:01:02:03 · wlan0=3a:1b:2c:3d:4e:5f"_s);
        QCOMPARE(text(sysfs::hardwarePorts(dir.filePath(u"none"_s))), QString());
        // Tunnels by kind, whatever their names: a tap device and a modem's raw IP link are none.
        device(u"cscotun0"_s, u"virtual"_s, "DEVTYPE=tun\n", 65534, "");
        QVERIFY(write(root + u"/cscotun0/tun_flags"_s, "0x1001\n"));
        device(u"vnet0"_s, u"virtual"_s, "DEVTYPE=tun\n", 1, "fe:54:00:12:34:56");
        QVERIFY(write(root + u"/vnet0/tun_flags"_s, "0x1002\n"));
        device(u"office"_s, u"virtual"_s, "DEVTYPE=wireguard\n", 65534, "");
        device(u"ppp0"_s, u"virtual"_s, "", 512, "");
        device(u"gre1"_s, u"virtual"_s, "", 778, "");
        QCOMPARE(sysfs::tunnels(root), (QStringList{u"cscotun0"_s, u"gre1"_s, u"office"_s, u"ppp0"_s, u"tun0"_s}));
        QCOMPARE(sysfs::permanentMAC(u"lo"_s), std::nullopt);
        QCOMPARE(sysfs::permanentMAC(u"no-such-device-name-that-is-long"_s), std::nullopt);
    }

    void processTree() {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(write(root + u"/42/comm"_s, "firefox\n"));
        QDir().mkpath(root + u"/42/fd"_s);
        QVERIFY(QFile::link(u"socket:[4242]"_s, root + u"/42/fd/3"_s));
        QVERIFY(QFile::link(u"/dev/null"_s, root + u"/42/fd/4"_s));
        QVERIFY(QFile::link(u"socket:[12x]"_s, root + u"/42/fd/5"_s));
        QVERIFY(QFile::link(u"socket:[7]"_s, root + u"/42/fd/6"_s));
        // Another user's process: its descriptors cannot be listed.
        QVERIFY(write(root + u"/7/comm"_s, "sshd\n"));
        // A process that ended between the listing and the reading.
        QDir().mkpath(root + u"/99/fd"_s);
        QVERIFY(write(root + u"/self/comm"_s, "bench\n"));
        QVERIFY(write(root + u"/uptime"_s, "1.0 1.0\n"));
        QCOMPARE(text(procnet::readProcesses(root, true, {7})), u"7:sshd: 42:firefox:7,4242"_s);
        // Without sockets and not asked for by pid, a process is not looked at further.
        QCOMPARE(text(procnet::readProcesses(root, true)), u"42:firefox:7,4242"_s);
        QCOMPARE(text(procnet::readProcesses(root, false)), u"7:sshd: 42:firefox:"_s);
        QVERIFY(procnet::readProcesses(root + u"/missing"_s).empty());
    }

    void wholeNames() {
        const QByteArray calendar = "/usr/libexec/gnome-shell-calendar-server";
        QCOMPARE(procnet::wholeName(u"gnome-shell-cal"_s, calendar + '\0', calendar), u"gnome-shell-calendar-server"_s);
        // A script under its interpreter; a program that named itself anew; a replaced executable.
        QCOMPARE(procnet::wholeName(u"sync-my-photos-"_s,
                                    "/usr/bin/python3\0/home/ania/bin/sync-my-photos-nightly\0--quiet\0"_ba,
                                    "/usr/bin/python3.11"_ba),
                 u"sync-my-photos-nightly"_s);
        QCOMPARE(procnet::wholeName(u"Isolated Web Co"_s, "/usr/lib/firefox-esr/firefox-esr\0-contentproc\0"_ba,
                                    "/usr/lib/firefox-esr/firefox-esr"_ba),
                 u"firefox-esr"_s);
        QCOMPARE(procnet::wholeName(u"Isolated Web Co"_s, QByteArray(), "/usr/lib/firefox/firefox (deleted)"_ba),
                 u"firefox"_s);
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
        // Without the daemons no tunnel is anyone's.
        QCOMPARE(text(vpn::owners({u"nordlynx"_s}, {}, root)), u"nordlynx="_s);
    }

    void samplerCountsEachSocketOnce() {
        // Samples in order, each "socket=received,acked ..." (the dump) then "| pid:name:inode,inode ..."
        // (the processes and their descriptors); then the totals of the last one.
        const std::tuple<const char*, QStringList, QString> rows[]{
            {"one socket, two processes",
             {u"11=100,10 12=200,20 13=5,5 99=7,7 | 1:firefox:11,12 2:a,b:13 3:idle:"_s},
             u"a_b.2=5,5 firefox.1=300,30"_s},
            {"closed socket keeps its bytes",
             {u"11=100,10 12=200,20 | 1:firefox:11,12"_s, u"11=150,15 14=1,1 | 1:firefox:11,14"_s},
             u"firefox.1=351,36"_s},
            {"all closed, still alive", {u"11=100,10 | 1:firefox:11"_s, u"| 1:firefox:"_s}, u"firefox.1=100,10"_s},
            {"ended", {u"11=100,10 | 1:firefox:11"_s, u"| 3:idle:"_s}, QString()},
            {"missing from one dump",
             {u"11=100,10 | 1:firefox:11"_s, u"| 1:firefox:11"_s, u"11=150,15 | 1:firefox:11"_s},
             u"firefox.1=150,15"_s},
            {"listed twice in one dump", {u"11=100,10 11=100,10 | 1:firefox:11"_s}, u"firefox.1=100,10"_s},
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
