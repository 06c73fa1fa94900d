#include "platform/linux/netlink.h"
#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/rtnetlink.h"
#include "support/netns.h"

#include <QProcess>
#include <QtTest>

#include <cerrno>

using namespace Qt::StringLiterals;
using namespace platform;
using netlink::Bytes;
using Attrs = std::vector<std::pair<quint16, Bytes>>;

class TestLinuxNetwork : public QObject {
    Q_OBJECT

    static Bytes bytesOf(QByteArrayView b) { return std::as_bytes(std::span(b.data(), std::size_t(b.size()))); }
    template <typename T> static Bytes valueOf(const T& v) { return std::as_bytes(std::span(&v, 1)); }
    static QByteArray copy(Bytes b) { return {reinterpret_cast<const char*>(b.data()), qsizetype(b.size())}; }
    // A vector built from a range allocates exactly its size, so the sanitizer build catches any read past the end.
    static std::vector<std::byte> exact(Bytes b) { return {b.begin(), b.end()}; }
    static std::vector<std::byte> exact(QByteArrayView b) { return exact(bytesOf(b)); }
    // What a message parser gets: the bytes after the netlink header.
    static std::vector<std::byte> payload(const QByteArray& m) { return exact(QByteArrayView(m).sliced(NLMSG_HDRLEN)); }
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

private slots:
    void attributes() {
        std::vector<std::byte> inner, outer;
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
    }

    void attributesStopAtBadLengths_data() {
        QTest::addColumn<quint16>("length");
        QTest::newRow("zero") << quint16(0);
        QTest::newRow("shorter than the header") << quint16(3);
        QTest::newRow("past the end") << quint16(9);
        QTest::newRow("largest") << quint16(0xffff);
    }

    void attributesStopAtBadLengths() {
        QFETCH(quint16, length);
        const nlattr bad{length, 2};
        QCOMPARE(count(exact("\x05\0\x01\0a\0\0\0"_ba + copy(valueOf(bad)) + "abcd")), 1);
    }

    void takeDatagram_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("error"); // -1 while the reply goes on
        QTest::addColumn<int>("handled");
        const QByteArray link = message(RTM_NEWLINK, 7, 0);
        const auto header = [](quint32 length) { return copy(valueOf(nlmsghdr{length, RTM_NEWLINK, 0, 7, 0})); };
        QTest::newRow("ends at DONE") << link + link + message(NLMSG_DONE, 7, 0) + link << 0 << 2;
        QTest::newRow("goes on without DONE") << link + message(NLMSG_NOOP, 7, 0) << -1 << 1;
        const QByteArray other = message(RTM_NEWLINK, 6, 0) + message(NLMSG_DONE, 6, 0) + message(NLMSG_ERROR, 8, -1);
        QTest::newRow("other requests") << other + link << -1 << 1;
        QTest::newRow("error") << message(NLMSG_ERROR, 7, -ENOENT) << ENOENT << 0;
        QTest::newRow("positive error") << message(NLMSG_ERROR, 7, 5) << EPROTO << 0;
        QTest::newRow("most negative error") << message(NLMSG_ERROR, 7, INT_MIN) << EPROTO << 0;
        QTest::newRow("most negative inside DONE") << message(NLMSG_DONE, 7, INT_MIN) << EPROTO << 0;
        QTest::newRow("acknowledgement") << message(NLMSG_ERROR, 7, 0) + link << 0 << 0;
        QTest::newRow("error inside DONE") << link + message(NLMSG_DONE, 7, -EINTR) << EINTR << 1;
        QTest::newRow("single part") << message(GENL_ID_CTRL, 7, 0, {}, 0) + link << 0 << 1;
        QTest::newRow("overrun") << message(NLMSG_OVERRUN, 7, 0) << EOVERFLOW << 0;
        // A length that does not fit fails the datagram, keeping what came before.
        QTest::newRow("length zero") << link + header(0) << EPROTO << 1;
        QTest::newRow("length short of the header") << link + header(15) << EPROTO << 1;
        QTest::newRow("largest length") << link + header(0xffffffff) << EPROTO << 1;
    }

    void takeDatagram() {
        QFETCH(QByteArray, datagram);
        int handled = 0;
        const auto progress = netlink::takeDatagram(exact(datagram), 7, [&](const netlink::Message&) { ++handled; });
        QTEST(progress.done ? progress.error : -1, "error");
        QTEST(handled, "handled");
    }

    void dumpCutAnywhere() {
        const quint64 stats[4]{1, 2, 1000, 2000};
        const auto link = [&](int i, const char* name) {
            return message(RTM_NEWLINK, 0, ifinfomsg{0, 0, 0, i, 0, 0},
                           {{IFLA_IFNAME, bytesOf(name)}, {IFLA_STATS64, valueOf(stats)}});
        };
        const QByteArray dump = link(1, "lo") + link(2, "eth0") + message(NLMSG_DONE, 0, 0);
        const qsizetype first = link(1, "lo").size(), second = first + link(2, "eth0").size();
        for (qsizetype cut = 0; cut <= dump.size(); ++cut) {
            int parsed = 0;
            const auto progress = netlink::takeDatagram(exact(dump.first(cut)), 0, [&](const netlink::Message& m) {
                parsed += rtnetlink::parseLink(m.payload).has_value();
            });
            // Whole messages come through; one cut short fails the datagram.
            QCOMPARE(parsed, cut < first ? 0 : cut < second ? 1 : 2);
            const bool between = cut == 0 || cut == first || cut == second;
            QCOMPARE(progress.done ? progress.error : -1, between ? -1 : cut == dump.size() ? 0 : EPROTO);
        }
    }

    void parseLink() {
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
        QCOMPARE(parse("eth0", IFLA_STATS64, 12).value().bytes, std::nullopt);
        QVERIFY(!parse("", IFLA_STATS64, sizeof stats));
    }

    void parseAddress() {
        const auto parse = [](quint8 family, const QByteArray& local, const QByteArray& address) {
            const Attrs attrs{{IFA_ADDRESS, bytesOf(address)}, {IFA_LOCAL, bytesOf(local)}};
            const auto a =
                rtnetlink::parseAddress(payload(message(RTM_NEWADDR, 0, ifaddrmsg{family, 24, 0, 0, 3}, attrs)));
            return a ? u"%1 %2"_s.arg(a->index).arg(a->address) : QString();
        };
        // On a point-to-point link IFA_ADDRESS is the far end.
        QCOMPARE(parse(AF_INET, "\x0a\x08\0\x05"_ba, "\x0a\x08\0\x01"_ba), u"3 10.8.0.5"_s);
        QCOMPARE(parse(AF_INET, {}, "\xc0\xa8\xff\xfe"_ba), u"3 192.168.255.254"_s);
        QCOMPARE(parse(AF_INET6, "\x01\x02\x03\x04"_ba, {}), QString());
        QCOMPARE(parse(AF_INET, QByteArray(16, 1), {}), QString());
    }

    void combine() {
        const Interfaces got = rtnetlink::combine(
            {{1, u"lo"_s, Counters{10, 10}}, {2, u"eth0"_s, Counters{300, 400}}, {3, u"wlan0"_s, std::nullopt}},
            {{1, u"127.0.0.1"_s}, {2, u"10.0.0.1"_s}, {9, u"10.9.9.9"_s}, {2, u"10.0.0.2"_s}, {3, u"10.0.3.1"_s}});
        // No counters is not zero counters, which would read as a reset.
        QCOMPARE(got.bytes, (QMap<QString, Counters>{{u"lo"_s, {10, 10}}, {u"eth0"_s, {300, 400}}}));
        QCOMPARE(got.ipv4, (QMap<QString, QString>{
                               {u"lo"_s, u"127.0.0.1"_s}, {u"eth0"_s, u"10.0.0.2"_s}, {u"wlan0"_s, u"10.0.3.1"_s}}));
    }

    void parseInterface_data() {
        QTest::addColumn<QString>("name");    // null for none
        QTest::addColumn<QByteArray>("ssid"); // null for none
        QTest::addColumn<QString>("expected");
        QTest::newRow("associated") << u"wlp2s0"_s << "Caf\xc3\xa9 5G"_ba << u"wlp2s0 Café 5G"_s;
        QTest::newRow("not associated") << u"wlan0"_s << QByteArray() << u"wlan0 -"_s;
        QTest::newRow("empty SSID") << u"wlan0"_s << ""_ba << u"wlan0 -"_s;
        QTest::newRow("not UTF-8") << u"wlan0"_s << "a\xff\xfe\x62\0c"_ba << u"wlan0 a\uFFFD\uFFFDb\0c"_s;
        QTest::newRow("no network device") << QString() << "x"_ba << QString();
    }

    void parseInterface() {
        QFETCH(QString, name);
        QFETCH(QByteArray, ssid);
        const QByteArray utf8 = name.toUtf8();
        const quint32 index = 3; // an attribute the parser passes over
        Attrs attrs{{NL80211_ATTR_IFINDEX, valueOf(index)}};
        if (!name.isNull())
            attrs.push_back({NL80211_ATTR_IFNAME, bytesOf(utf8)});
        if (!ssid.isNull())
            attrs.push_back({NL80211_ATTR_SSID, bytesOf(ssid)});
        const auto wifi =
            nl80211::parseInterface(payload(message(0x1c, 0, genlmsghdr{NL80211_CMD_NEW_INTERFACE, 1, 0}, attrs)));
        QTEST(wifi ? wifi->name + u' ' + wifi->ssid.value_or(u"-"_s) : QString(), "expected");
    }

    void familyId() {
        const auto id = nl80211::parseFamilyId(payload(
            message(GENL_ID_CTRL, 0, genlmsghdr{CTRL_CMD_NEWFAMILY, 1, 0},
                    {{CTRL_ATTR_FAMILY_NAME, bytesOf("nl80211")}, {CTRL_ATTR_FAMILY_ID, valueOf(quint16(0x123))}})));
        QCOMPARE(id, quint16(0x123));
    }

    void routes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("route"); // the default: interface and gateway
        // As the kernel prints it: tab-separated, lines padded with spaces.
        const QByteArray header =
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT     \n"_ba;
        QTest::newRow("kernel format") << header + "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0     \n"
                                                   "eth0\t000200C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0     \n"
                                       << 2 << u"eth0 c0000201"_s;
        QTest::newRow("header only") << header << 0 << QString();
        // Down, reject and non-default routes have lower metrics; equal metrics keep the first.
        QTest::newRow("lowest usable metric")
            << "down0 00000000 0101A8C0 0002 0 0 0 00000000\n* 00000000 00000000 0201 0 0 1 00000000\n"
               "net0 0000000A 00000000 0001 0 0 2 000000FF\nhost0 00000000 00000000 0001 0 0 3 0000FFFF\n"
               "wlan0 00000000 0101A8C0 0003 0 0 600 00000000\nenp3s0 00000000 0100000A 0003 0 0 100 00000000\n"
               "usb0 00000000 012BA8C0 0003 0 0 100 00000000\n"_ba
            << 7 << u"enp3s0 a000001"_s;
        QTest::newRow("garbage and short lines")
            << "\neth0\neth0 00000000 010200C0 0003 0 0 0\neth0 0000000G 010200C0 0003 0 0 0 00000000\n"
               "eth0 0000000 010200C0 0003 0 0 0 00000000\neth0 00000000 010200C0 0003 0 0 ten 00000000\n"
               "eth0 00000000 010200C0 0003 0 0 99999999999 00000000\n\x01\xff\t\0\n"
               "wwan0 00000000 00000000 0001 0 0 50 00000000\n"_ba
            << 1 << u"wwan0 0"_s;
        // The metric is printed with %d, so -1 is the largest.
        QTest::newRow("negative metric, no final newline")
            << "tun0 00000000 00000000 0001 0 0 -1 00000000\r\neth0 00000000 0101A8C0 0003 0 0 2147483647 00000000"_ba
            << 2 << u"eth0 c0a80101"_s;
    }

    void routes() {
        QFETCH(QByteArray, text);
        const auto parsed = routes::parse(text);
        const auto best = routes::defaultRoute(parsed);
        QTEST(int(parsed.size()), "count");
        QTEST(best ? u"%1 %2"_s.arg(best->iface).arg(best->gateway, 0, 16) : QString(), "route");
    }

    void choosePrimary_data() {
        // Wireless interfaces as name or name=ssid; current ones as name, or name* with an IPv4 address.
        QTest::addColumn<QString>("wireless");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("primary"); // name=ssid for a wireless one, name= without an SSID
        QTest::newRow("first wifi with an address beats the route")
            << u"wlan0=A wlan1=B"_s << u"eth0"_s << u"eth0* wlan0 wlan1*"_s << u"wlan1=B"_s;
        QTest::newRow("route when wifi has no address")
            << u"wlan0=A"_s << u"enp3s0"_s << u"enp3s0* wlan0"_s << u"enp3s0"_s;
        QTest::newRow("route through wifi") << u"wlan0 wlan1=Cafe"_s << u"wlan1"_s << QString() << u"wlan1=Cafe"_s;
        QTest::newRow("first wifi") << u"wlan3 wlan1=B"_s << QString() << u"eth0*"_s << u"wlan3="_s;
        QTest::newRow("first measured") << QString() << QString() << u"lo* docker0 eth1 enp3s0 veth1"_s << u"enp3s0"_s;
        QTest::newRow("nothing measured") << QString() << QString() << u"lo* tun0 br0"_s << QString();
    }

    void choosePrimary() {
        QFETCH(QString, wireless);
        QFETCH(QString, route);
        QFETCH(QString, current);
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
        QTEST(link.wireless ? link.primary + u'=' + link.ssid.value_or(QString()) : link.primary, "primary");
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

    void loopbackCountsTraffic() {
        const auto net = systemNetwork();
        const Interfaces before = net->interfaces();
        QCOMPARE(before.ipv4.value(u"lo"_s), u"127.0.0.1"_s);
        // bash's /dev/udp sends each write as one datagram.
        QProcess bash;
        bash.start(u"/bin/bash"_s, {u"-c"_s, u"p=$(head -c 700 /dev/zero | tr '\\0' x); for i in $(seq 30); do "
                                             "printf %s \"$p\" > /dev/udp/127.0.0.1/47010; done"_s});
        QVERIFY(bash.waitForFinished(20000) && bash.exitCode() == 0);
        const Counters was = before.bytes.value(u"lo"_s), now = net->interfaces().bytes.value(u"lo"_s);
        QVERIFY(before.bytes.contains(u"lo"_s) && now.in >= was.in + 30 * 700 && now.out >= was.out + 30 * 700);
    }

    void linkOnThisMachine() {
        if (!nl80211::Client().interfaces().empty())
            QSKIP("this machine has Wi-Fi; the check below assumes none");
        const auto net = systemNetwork();
        routes::SystemTable table;
        const auto route = routes::defaultRoute(routes::parse(table.text()));
        const Link link = net->link(net->interfaces());
        QVERIFY(!link.wireless);
        QVERIFY(route ? link.primary == route->iface : link.primary.isEmpty() || isMeasured(link.primary));
    }

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
        pair->exchange(25, 900);
        const QString dir = u"/sys/class/net/eth7/statistics/"_s;
        const QStringList sys = pair->inA(u"cat %1rx_bytes %1tx_bytes"_s.arg(dir)).split(u'\n');
        const Counters kernel{sys.value(0).toULongLong(), sys.value(1).toULongLong()};
        // Nothing else uses the link, so after the traffic the reading equals the kernel's own.
        QVERIFY(kernel.in >= 25 * 900 && kernel.out >= 25 * 900);
        QCOMPARE(net->interfaces().bytes.value(u"eth7"_s), kernel);
        QCOMPARE(net->link(first).primary, u"eth7"_s);
        pair->inA(u"ip route add default via 172.20.10.1"_s);
        QCOMPARE(net->link(first).primary, u"eth7"_s);
        // Through an interface that is not measured, the route shows it outranks the fallback.
        pair->inA(u"ip route replace default dev lo"_s);
        QCOMPARE(net->link(first).primary, u"lo"_s);
    }
};

QTEST_GUILESS_MAIN(TestLinuxNetwork)
#include "tst_linux_network.moc"
