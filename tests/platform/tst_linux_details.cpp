#include "details/advanced.h"
#include "details/process_traffic.h"
#include "platform/linux/addresses.h"
#include "platform/linux/hardware_ports.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/resolv_conf.h"
#include "platform/linux/router.h"
#include "platform/linux/rtnetlink.h"
#include "platform/linux/wifi_link.h"
#include "support/fake_clock.h"
#include "support/netns.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace platform;
using netlink::Bytes;
using Blob = std::vector<std::byte>;

namespace {

Blob bytes(std::initializer_list<int> values) {
    Blob b;
    for (const int v : values)
        b.push_back(std::byte(v));
    return b;
}

template <typename T> Bytes valueOf(const T& v) {
    return std::as_bytes(std::span(&v, 1));
}

Blob nest(std::initializer_list<std::pair<quint16, Blob>> attributes) {
    Blob out;
    for (const auto& [type, payload] : attributes)
        netlink::appendAttribute(out, type, payload);
    return out;
}

template <typename T> Blob blob(const T& v) {
    const Bytes b = valueOf(v);
    return {b.begin(), b.end()};
}

Blob text(const char* s) {
    const auto* p = reinterpret_cast<const std::byte*>(s);
    return Blob(p, p + std::strlen(s) + 1);
}

// A generic netlink payload as nl80211 sends it: the generic header, then the attributes, sized exactly so
// that the sanitizer build sees any read past its end.
Blob genl(quint8 command, std::initializer_list<std::pair<quint16, Blob>> attributes) {
    genlmsghdr header{};
    header.cmd = command;
    header.version = 1;
    Blob out = blob(header);
    const Blob rest = nest(attributes);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// An RSN element body: version 1, CCMP group cipher, one CCMP pairwise cipher, then the key managements.
Blob rsn(std::initializer_list<int> akms) {
    Blob b = bytes({1, 0, 0x00, 0x0f, 0xac, 4, 1, 0, 0x00, 0x0f, 0xac, 4, int(akms.size()), 0});
    for (const int akm : akms) {
        const Blob suite = bytes({0x00, 0x0f, 0xac, akm});
        b.insert(b.end(), suite.begin(), suite.end());
    }
    return b;
}

Blob element(int id, const Blob& body) {
    Blob e = bytes({id, int(body.size())});
    e.insert(e.end(), body.begin(), body.end());
    return e;
}

void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class TestLinuxDetails : public QObject {
    Q_OBJECT

private slots:
    void rsnSecurity_data() {
        QTest::addColumn<Blob>("body");
        QTest::addColumn<int>("code");
        QTest::newRow("psk") << rsn({2}) << 4;
        QTest::newRow("psk-sha256 and ft-psk") << rsn({6, 4}) << 4;
        QTest::newRow("sae") << rsn({8}) << 11;
        QTest::newRow("psk+sae transition") << rsn({2, 8}) << 13;
        QTest::newRow("802.1x") << rsn({1}) << 9;
        QTest::newRow("802.1x sha256") << rsn({5}) << 12;
        QTest::newRow("suite-b 192") << rsn({12}) << 12;
        QTest::newRow("owe is another kind") << rsn({18}) << -1;
        QTest::newRow("psk with 802.1x") << rsn({2, 1}) << -1;
        QTest::newRow("no suites listed") << rsn({}) << -1;
        QTest::newRow("vendor suite") << bytes({1, 0, 0, 0x0f, 0xac, 4, 1, 0, 0, 0x0f, 0xac, 4, 1, 0, 0x00, 0x50, 0xf2,
                                                2})
                                      << -1;
        QTest::newRow("version only: default 802.1x") << bytes({1, 0}) << 9;
        Blob cut = rsn({2, 8});
        cut.resize(cut.size() - 2);
        QTest::newRow("suite list cut short") << cut << -1;
        QTest::newRow("pairwise count beyond the end") << bytes({1, 0, 0, 0x0f, 0xac, 4, 0xff, 0xff}) << 9;
    }
    void rsnSecurity() {
        QFETCH(Blob, body);
        QFETCH(int, code);
        QCOMPARE(wifi::rsnSecurity(body), code);
    }

    void elementLists() {
        const Blob ssid = element(0, bytes({'D', 'o', 'm'}));
        Blob withRsn = ssid;
        const Blob r = element(48, rsn({8}));
        withRsn.insert(withRsn.end(), r.begin(), r.end());
        QCOMPARE(wifi::bssSecurity(withRsn, 0x11), 11);
        Blob wpa = ssid;
        const Blob w = element(221, bytes({0x00, 0x50, 0xf2, 1, 1, 0}));
        wpa.insert(wpa.end(), w.begin(), w.end());
        QCOMPARE(wifi::bssSecurity(wpa, 0x11), 2);
        QCOMPARE(wifi::bssSecurity(ssid, 0x11), 1);
        QCOMPARE(wifi::bssSecurity(ssid, 0x01), 0);
        // An element whose length runs past the list ends the walk.
        Blob broken = ssid;
        const Blob tail = bytes({48, 40, 1, 0});
        broken.insert(broken.end(), tail.begin(), tail.end());
        QCOMPARE(wifi::bssSecurity(broken, 0x01), 0);
        QCOMPARE(wifi::bssSecurity({}, 0), 0);
    }

    void channels() {
        const QList<std::tuple<quint32, int, int>> table{{2412, 1, 1},   {2472, 13, 1}, {2484, 14, 1}, {5180, 36, 2},
                                                         {5825, 165, 2}, {5935, 2, 3},  {5955, 1, 3},  {6415, 93, 3}};
        for (const auto& [f, channel, band] : table) {
            QCOMPARE(wifi::channelOf(f), std::optional(channel));
            QCOMPARE(wifi::bandOf(f), band);
        }
        QCOMPARE(wifi::channelOf(60480), std::nullopt);
        QCOMPARE(wifi::bandOf(60480), 0);
        QCOMPARE(wifi::widthCode(NL80211_CHAN_WIDTH_20_NOHT), 1);
        QCOMPARE(wifi::widthCode(NL80211_CHAN_WIDTH_80P80), 4);
        QCOMPARE(wifi::widthCode(NL80211_CHAN_WIDTH_320), 0);
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
        QCOMPARE(link.iface, u"wlp2s0"_s);
        QCOMPARE(link.ssid, std::optional(u"Dom"_s));
        QCOMPARE(link.channel, std::optional(36));
        QCOMPARE(link.band, 2);
        QCOMPARE(link.width, 3);

        const quint32 rate = 8665;
        const Blob bitrate = nest({{NL80211_RATE_INFO_BITRATE32, blob(rate)},
                                   {NL80211_RATE_INFO_VHT_MCS, bytes({9})},
                                   {NL80211_RATE_INFO_VHT_NSS, bytes({2})}});
        const Blob station =
            genl(NL80211_CMD_NEW_STATION, {{NL80211_ATTR_MAC, bytes({0xa4, 0x83, 0xe7, 0x01, 0x02, 0x03})},
                                           {NL80211_ATTR_STA_INFO, nest({{NL80211_STA_INFO_SIGNAL, bytes({0xcc})},
                                                                         {NL80211_STA_INFO_TX_BITRATE, bitrate}})}});
        wifi::readStation(station, link);
        QCOMPARE(link.bssid, std::optional(u"a4:83:e7:01:02:03"_s));
        QCOMPARE(link.rssi, std::optional(-52));
        QCOMPARE(link.txRate, 866.5);
        QCOMPARE(link.phy, 5);
        QCOMPARE(link.mcs, std::optional(9));
        QCOMPARE(link.nss, std::optional(2));

        // Every truncation of the station message reads only what is whole, and never past the end.
        for (std::size_t cut = 0; cut < station.size(); ++cut) {
            WifiLink partial;
            wifi::readStation(Blob(station.begin(), station.begin() + std::ptrdiff_t(cut)), partial);
            QVERIFY(!partial.rssi || *partial.rssi == -52);
            QVERIFY(partial.txRate == 0 || partial.txRate == 866.5);
        }
    }

    void radioStandards_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<Blob>("rate");
        QTest::addColumn<int>("phy");
        QTest::addColumn<QString>("mcsNss");
        const quint16 eleven = 110, fiftyFour = 540;
        QTest::newRow("ht mcs 15") << 1
                                   << nest({{NL80211_RATE_INFO_BITRATE, blob(quint16(1300))},
                                            {NL80211_RATE_INFO_MCS, bytes({15})}})
                                   << 4 << u"7/2"_s;
        QTest::newRow("he") << 2
                            << nest({{NL80211_RATE_INFO_HE_MCS, bytes({11})}, {NL80211_RATE_INFO_HE_NSS, bytes({2})}})
                            << 6 << u"11/2"_s;
        QTest::newRow("eht is none of the table")
            << 3 << nest({{NL80211_RATE_INFO_EHT_MCS, bytes({13})}, {NL80211_RATE_INFO_EHT_NSS, bytes({2})}}) << 7
            << u"13/2"_s;
        QTest::newRow("legacy 11 Mbit/s on 2.4 GHz")
            << 1 << nest({{NL80211_RATE_INFO_BITRATE, blob(eleven)}}) << 2 << QString();
        QTest::newRow("legacy 54 Mbit/s on 2.4 GHz")
            << 1 << nest({{NL80211_RATE_INFO_BITRATE, blob(fiftyFour)}}) << 3 << QString();
        QTest::newRow("legacy on 5 GHz") << 2 << nest({{NL80211_RATE_INFO_BITRATE, blob(fiftyFour)}}) << 1 << QString();
        QTest::newRow("vht without nss") << 2 << nest({{NL80211_RATE_INFO_VHT_MCS, bytes({9})}}) << 5 << QString();
    }
    void radioStandards() {
        QFETCH(int, band);
        QFETCH(Blob, rate);
        QFETCH(int, phy);
        QFETCH(QString, mcsNss);
        WifiLink link;
        link.band = band;
        wifi::readStation(
            genl(NL80211_CMD_NEW_STATION, {{NL80211_ATTR_STA_INFO, nest({{NL80211_STA_INFO_TX_BITRATE, rate}})}}),
            link);
        QCOMPARE(link.phy, phy);
        QCOMPARE(link.mcs && link.nss ? u"%1/%2"_s.arg(*link.mcs).arg(*link.nss) : QString(), mcsNss);
    }

    void surveyAndScan() {
        const quint32 f1 = 2412, f2 = 5180;
        const Blob other =
            genl(NL80211_CMD_NEW_SURVEY_RESULTS,
                 {{NL80211_ATTR_SURVEY_INFO,
                   nest({{NL80211_SURVEY_INFO_FREQUENCY, blob(f1)}, {NL80211_SURVEY_INFO_NOISE, bytes({0xa0})}})}});
        const Blob used = genl(NL80211_CMD_NEW_SURVEY_RESULTS,
                               {{NL80211_ATTR_SURVEY_INFO, nest({{NL80211_SURVEY_INFO_FREQUENCY, blob(f2)},
                                                                 {NL80211_SURVEY_INFO_NOISE, bytes({0xa5})},
                                                                 {NL80211_SURVEY_INFO_IN_USE, {}}})}});
        const Blob noNoise = genl(NL80211_CMD_NEW_SURVEY_RESULTS,
                                  {{NL80211_ATTR_SURVEY_INFO, nest({{NL80211_SURVEY_INFO_IN_USE, {}}})}});
        QCOMPARE(wifi::surveyNoise(other), std::nullopt);
        QCOMPARE(wifi::surveyNoise(used), std::optional(-91));
        QCOMPARE(wifi::surveyNoise(noNoise), std::nullopt);

        const quint32 associated = NL80211_BSS_STATUS_ASSOCIATED;
        const quint16 capability = 0x0411;
        Blob ies = element(0, bytes({'D', 'o', 'm'}));
        const Blob r = element(48, rsn({2, 8}));
        ies.insert(ies.end(), r.begin(), r.end());
        const Blob scan =
            genl(NL80211_CMD_NEW_SCAN_RESULTS,
                 {{NL80211_ATTR_BSS, nest({{NL80211_BSS_BSSID, bytes({0xa4, 0x83, 0xe7, 0x01, 0x02, 0x03})},
                                           {NL80211_BSS_CAPABILITY, blob(capability)},
                                           {NL80211_BSS_INFORMATION_ELEMENTS, ies},
                                           {NL80211_BSS_STATUS, blob(associated)}})}});
        const auto bss = wifi::parseBss(scan);
        QVERIFY(bss);
        QCOMPARE(bss->bssid, u"a4:83:e7:01:02:03"_s);
        QVERIFY(bss->associated);
        QCOMPARE(bss->security, 13);
        for (std::size_t cut = 0; cut < scan.size(); ++cut) {
            const auto partial = wifi::parseBss(Blob(scan.begin(), scan.begin() + std::ptrdiff_t(cut)));
            QVERIFY(!partial || partial->bssid == bss->bssid);
        }
        const Blob shortBssid =
            genl(NL80211_CMD_NEW_SCAN_RESULTS, {{NL80211_ATTR_BSS, nest({{NL80211_BSS_BSSID, bytes({1, 2, 3})}})}});
        QVERIFY(!wifi::parseBss(shortBssid));
    }

    void resolverFile() {
        const QByteArray text = "# Generated by NetworkManager\n"
                                "search home\n"
                                "nameserver\n"
                                "nameserver not-an-address\n"
                                ";nameserver 9.9.9.9\n"
                                "\x01\xff garbage \n"
                                "  nameserver\t192.168.1.1   # the router\n"
                                "nameserver 1.1.1.1\n";
        QCOMPARE(resolv::firstNameserver(text), std::optional(u"192.168.1.1"_s));
        QCOMPARE(resolv::firstNameserver("nameserver fe80::1%wlan0\n"), std::optional(u"fe80::1%wlan0"_s));
        QCOMPARE(resolv::firstNameserver("nameserver 2001:db8::1"), std::optional(u"2001:db8::1"_s));
        QCOMPARE(resolv::firstNameserver("options edns0\n"), std::nullopt);
        QCOMPARE(resolv::firstNameserver(""), std::nullopt);

        QTemporaryDir dir;
        const QString stub = dir.filePath(u"resolv.conf"_s), upstream = dir.filePath(u"upstream.conf"_s);
        write(stub, "nameserver 127.0.0.53\noptions edns0 trust-ad\n");
        QCOMPARE(resolv::nameserver(stub, upstream), std::optional(u"127.0.0.53"_s));
        write(upstream, "nameserver 192.168.7.1\n");
        QCOMPARE(resolv::nameserver(stub, upstream), std::optional(u"192.168.7.1"_s));
        QCOMPARE(resolv::nameserver(dir.filePath(u"missing"_s), upstream), std::nullopt);
    }

    void router() {
        const auto table = routes::parse("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\n"
                                         "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\n"
                                         "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\n"
                                         "garbage line\n"
                                         "wlan0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\n"
                                         "tun0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\n");
        QCOMPARE(routes::router(table, u"wlan0"_s), std::optional(u"192.168.0.1"_s));
        // Without a Wi-Fi route the lowest metric wins; here a tunnel with no gateway.
        QCOMPARE(routes::router(table, QString()), std::nullopt);
        QCOMPARE(routes::router(std::vector(table.begin(), table.begin() + 1), u"wlan0"_s),
                 std::optional(u"192.168.1.1"_s));
        QCOMPARE(routes::router({}, u"wlan0"_s), std::nullopt);
    }

    void sysfsTree() {
        QTemporaryDir dir;
        const QString root = dir.filePath(u"class/net"_s), devices = dir.filePath(u"devices"_s);
        const auto device = [&](const QString& name, const QString& real, const QByteArray& uevent, int type,
                                const QByteArray& address) {
            const QString path = devices + u'/' + real + u"/net/"_s + name;
            write(path + u"/uevent"_s, uevent);
            write(path + u"/type"_s, QByteArray::number(type) + '\n');
            write(path + u"/address"_s, address + '\n');
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
        write(root + u"/bonding_masters"_s, "\n");

        QCOMPARE(sysfs::hardwarePorts(root), (QMap<QString, QString>{{u"br0"_s, u"Bridge"_s},
                                                                     {u"enx00e04c"_s, u"USB LAN"_s},
                                                                     {u"eth0"_s, u"Ethernet"_s},
                                                                     {u"wlan0"_s, u"Wi-Fi"_s},
                                                                     {u"wwan0"_s, u"WWAN"_s}}));
        QCOMPARE(sysfs::currentMACs(root), (QMap<QString, QString>{{u"br0"_s, u"02:42:ac:11:00:01"_s},
                                                                   {u"enx00e04c"_s, u"00:e0:4c:68:00:01"_s},
                                                                   {u"eth0"_s, u"a4:83:e7:01:02:03"_s},
                                                                   {u"wlan0"_s, u"3a:1b:2c:3d:4e:5f"_s}}));
        QCOMPARE(sysfs::hardwarePorts(dir.filePath(u"none"_s)), (QMap<QString, QString>()));
        QCOMPARE(sysfs::permanentMAC(u"lo"_s), std::nullopt);
        QCOMPARE(sysfs::permanentMAC(u"no-such-device-name-that-is-long"_s), std::nullopt);
    }

    void processTree() {
        QTemporaryDir dir;
        const QString root = dir.path();
        write(root + u"/42/comm"_s, "firefox\n");
        QDir().mkpath(root + u"/42/fd"_s);
        QVERIFY(QFile::link(u"socket:[4242]"_s, root + u"/42/fd/3"_s));
        QVERIFY(QFile::link(u"/dev/null"_s, root + u"/42/fd/4"_s));
        QVERIFY(QFile::link(u"socket:[12x]"_s, root + u"/42/fd/5"_s));
        QVERIFY(QFile::link(u"socket:[7]"_s, root + u"/42/fd/6"_s));
        // Another user's process: its descriptors cannot be listed.
        write(root + u"/7/comm"_s, "sshd\n");
        // A process that ended between the listing and the reading.
        QDir().mkpath(root + u"/99/fd"_s);
        write(root + u"/self/comm"_s, "bench\n");
        write(root + u"/uptime"_s, "1.0 1.0\n");
        auto found = procnet::readProcesses(root, true, {7});
        QCOMPARE(found.size(), std::size_t(2));
        QCOMPARE(found[0].pid, 7);
        QCOMPARE(found[0].name, u"sshd"_s);
        QVERIFY(found[0].sockets.empty());
        QCOMPARE(found[1].name, u"firefox"_s);
        std::vector<quint64> sockets = found[1].sockets;
        std::sort(sockets.begin(), sockets.end());
        QCOMPARE(sockets, (std::vector<quint64>{7, 4242}));
        // Without sockets and not asked for by pid, a process is not looked at further.
        found = procnet::readProcesses(root, true);
        QCOMPARE(found.size(), std::size_t(1));
        QCOMPARE(found[0].pid, 42);
        found = procnet::readProcesses(root, false);
        QCOMPARE(found.size(), std::size_t(2));
        QVERIFY(found[1].sockets.empty());
        QVERIFY(procnet::readProcesses(root + u"/missing"_s).empty());
    }

    void samplerKeepsClosedSockets() {
        procnet::Sampler s;
        const auto proc = [](int pid, const char* name, std::vector<quint64> sockets) {
            return procnet::Process{pid, QString::fromUtf8(name), std::move(sockets)};
        };
        QByteArray text = s.join({{11, 100, 10}, {12, 200, 20}, {13, 5, 5}, {99, 7, 7}},
                                 {proc(1, "firefox", {11, 12}), proc(2, "a,b\nc", {13}), proc(3, "idle", {})});
        ProcessSample sample = parseSample(QString::fromUtf8(text));
        QCOMPARE(sample, (ProcessSample{{u"firefox.1"_s, {300, 30}}, {u"a_b_c.2"_s, {5, 5}}}));
        // Socket 12 closed and 14 opened: firefox keeps what 12 carried.
        text = s.join({{11, 150, 15}, {14, 1, 1}, {13, 6, 6}},
                      {proc(1, "firefox", {11, 14}), proc(2, "a,b\nc", {13}), proc(3, "idle", {})});
        sample = parseSample(QString::fromUtf8(text));
        QCOMPARE(sample[u"firefox.1"_s], (Counters{351, 36}));
        // All of its sockets closed: still listed while it lives, gone once it ends.
        text = s.join({}, {proc(1, "firefox", {}), proc(3, "idle", {})});
        sample = parseSample(QString::fromUtf8(text));
        QCOMPARE(sample, (ProcessSample{{u"firefox.1"_s, {351, 36}}}));
        text = s.join({}, {proc(3, "idle", {})});
        QVERIFY(parseSample(QString::fromUtf8(text)).isEmpty());
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
        const QString self = procnet::safeName(QString::fromUtf8(readComm())) + u'.' +
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

    void addressesAndRatesInANamespace() {
        QString why;
        const auto link = VethPair::create(u"eth5"_s, u"10.77.0.1/24"_s, u"10.77.0.2/24"_s, &why);
        if (!link)
            QSKIP(qPrintable(why));
        // One command at a time: each runs inside the namespace on its own.
        link->inA(u"sysctl -qw net.ipv6.conf.eth5.disable_ipv6=0"_s);
        link->inA(u"ip addr add 2001:db8::5/64 dev eth5 nodad"_s);
        link->inA(u"ip addr add fd00::5/64 dev eth5 nodad"_s);
        link->enterA();
        QStringList seen;
        for (const Address& a : readAddresses())
            seen.append(a.iface + u' ' + a.text);
        QVERIFY2(seen.contains(u"eth5 10.77.0.1"_s) && seen.contains(u"eth5 2001:db8::5"_s) &&
                     seen.contains(u"eth5 fd00::5"_s),
                 qPrintable(seen.join(u", "_s)));
        for (const QString& s : seen)
            QVERIFY2(!s.startsWith(u"lo") && !s.contains(u" fe80"_s), qPrintable(s));

        FakeClock clock;
        Advanced a(clock);
        rtnetlink::InterfaceReader reader;
        a.update(reader.read());
        QVERIFY(a.addrs().contains(KV{u"eth5 10.77.0.1"_s, u"10.77.0.1"_s}));
        const QString rx0 = link->inA(u"cat /sys/class/net/eth5/statistics/rx_bytes"_s);
        link->exchange(50, 1000);
        const QString rx1 = link->inA(u"cat /sys/class/net/eth5/statistics/rx_bytes"_s);
        clock.advance(Seconds(2.0));
        a.update(reader.read());
        link->leave();
        QCOMPARE(a.ifaces().size(), 1);
        QCOMPARE(a.ifaces()[0].name, u"eth5"_s);
        QCOMPARE(a.ifaces()[0].down, (rx1.trimmed().toDouble() - rx0.trimmed().toDouble()) / 2.0);
        QVERIFY(a.ifaces()[0].down >= 50 * 1000 / 2.0);
        QVERIFY(QTest::qWaitFor([&] { return a.samples() == 1 && a.slowReadings() == 1; }));
    }

private:
    static QByteArray readComm() {
        QFile f(u"/proc/self/comm"_s);
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }
};

QTEST_GUILESS_MAIN(TestLinuxDetails)
#include "tst_linux_details.moc"
