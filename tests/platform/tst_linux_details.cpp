#include "details/advanced.h"
#include "details/process_traffic.h"
#include "platform/linux/addresses.h"
#include "platform/linux/hardware_ports.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/resolv_conf.h"
#include "platform/linux/router.h"
#include "platform/linux/rtnetlink.h"
#include "platform/linux/vpn_programs.h"
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

// What a malformed security element reads as in the tables below.
constexpr int malformed = 100;

Blob operator+(Blob a, const Blob& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

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
        QTest::newRow("psk") << rsn({2}) << int(WifiSecurity::WPA2Personal);
        QTest::newRow("psk-sha256 and ft-psk") << rsn({6, 4}) << int(WifiSecurity::WPA2Personal);
        QTest::newRow("sae") << rsn({8}) << int(WifiSecurity::WPA3Personal);
        QTest::newRow("psk+sae transition") << rsn({2, 8}) << int(WifiSecurity::WPA2WPA3);
        QTest::newRow("802.1x") << rsn({1}) << int(WifiSecurity::WPA2Enterprise);
        QTest::newRow("802.1x sha256") << rsn({5}) << int(WifiSecurity::WPA3Enterprise);
        QTest::newRow("enterprise transition") << rsn({1, 5}) << int(WifiSecurity::WPA2Enterprise);
        QTest::newRow("suite-b 192") << rsn({12}) << int(WifiSecurity::WPA3Enterprise);
        QTest::newRow("owe is another kind") << rsn({18}) << int(WifiSecurity::Other);
        QTest::newRow("psk with 802.1x") << rsn({2, 1}) << int(WifiSecurity::Other);
        QTest::newRow("no suites listed") << rsn({}) << int(WifiSecurity::Other);
        QTest::newRow("vendor suite") << bytes({1, 0, 0, 0x0f, 0xac, 4, 1, 0, 0, 0x0f, 0xac, 4, 1, 0, 0x00, 0x50, 0xf2,
                                                2})
                                      << int(WifiSecurity::Other);
        // Fields left out from the end take the standard's defaults (802.1X); one cut in the middle is malformed.
        QTest::newRow("version only") << bytes({1, 0}) << int(WifiSecurity::WPA2Enterprise);
        QTest::newRow("up to the group cipher") << bytes({1, 0, 0, 0x0f, 0xac, 4}) << int(WifiSecurity::WPA2Enterprise);
        QTest::newRow("group cipher cut") << bytes({1, 0, 0, 0x0f}) << malformed;
        QTest::newRow("pairwise list cut short") << bytes({1, 0, 0, 0x0f, 0xac, 4, 0xff, 0xff}) << malformed;
        Blob cut = rsn({2, 8});
        cut.resize(cut.size() - 2);
        QTest::newRow("key management list cut short") << cut << malformed;
        QTest::newRow("one byte") << bytes({1}) << malformed;
    }
    void rsnSecurity() {
        QFETCH(Blob, body);
        const auto code = wifi::rsnSecurity(body);
        QTEST(code ? int(*code) : malformed, "code");
    }

    void accessPoints_data() {
        QTest::addColumn<Blob>("elements");
        QTest::addColumn<int>("capability");
        QTest::addColumn<int>("security");
        QTest::addColumn<int>("phy");
        const Blob ssid = element(0, bytes({'D', 'o', 'm'}));
        const Blob wpa = element(221, bytes({0x00, 0x50, 0xf2, 1, 1, 0}));
        const Blob sae = element(48, rsn({8}));
        const Blob ht = element(45, Blob(26)), vht = element(191, Blob(12));
        const Blob he = element(255, bytes({35, 0, 0})), eht = element(255, bytes({108, 0, 0}));
        const int unknown = int(WifiPhy::Unknown);
        QTest::newRow("sae") << ssid + sae << 0x11 << int(WifiSecurity::WPA3Personal) << unknown;
        QTest::newRow("wpa") << ssid + wpa << 0x11 << int(WifiSecurity::WPA) << unknown;
        QTest::newRow("rsn beside wpa is mixed") << ssid + sae + wpa << 0x11 << int(WifiSecurity::WPAMixed) << unknown;
        QTest::newRow("malformed rsn beside wpa")
            << ssid + element(48, bytes({1})) + wpa << 0x11 << malformed << unknown;
        QTest::newRow("privacy bit only") << ssid << 0x11 << int(WifiSecurity::WEP) << unknown;
        QTest::newRow("open") << ssid << 0x01 << int(WifiSecurity::Open) << unknown;
        // An element whose length runs past the list ends the walk.
        QTest::newRow("broken tail") << ssid + bytes({48, 40, 1, 0}) << 0x01 << int(WifiSecurity::Open) << unknown;
        QTest::newRow("wifi 5") << ssid + ht + vht << 0x01 << int(WifiSecurity::Open) << int(WifiPhy::AC);
        QTest::newRow("wifi 7") << ssid + eht + he << 0x01 << int(WifiSecurity::Open) << int(WifiPhy::BE);
    }
    void accessPoints() {
        QFETCH(Blob, elements);
        QFETCH(int, capability);
        const AccessPoint point = wifi::accessPointOf(elements, quint16(capability));
        QTEST(point.security ? int(*point.security) : malformed, "security");
        QTEST(int(point.phy), "phy");
    }

    void channels() {
        const QList<std::tuple<quint32, int, WifiBand>> table{
            {2412, 1, WifiBand::GHz2_4}, {2472, 13, WifiBand::GHz2_4}, {2484, 14, WifiBand::GHz2_4},
            {4920, 184, WifiBand::GHz5}, {4980, 196, WifiBand::GHz5},  {5180, 36, WifiBand::GHz5},
            {5825, 165, WifiBand::GHz5}, {5935, 2, WifiBand::GHz6},    {5955, 1, WifiBand::GHz6},
            {6415, 93, WifiBand::GHz6}};
        for (const auto& [f, channel, band] : table) {
            QCOMPARE(wifi::channelOf(f), std::optional(channel));
            QCOMPARE(wifi::bandOf(f), band);
        }
        QCOMPARE(wifi::channelOf(60480), std::nullopt);
        QCOMPARE(wifi::bandOf(60480), WifiBand::Unknown);
        QCOMPARE(wifi::widthOf(NL80211_CHAN_WIDTH_20_NOHT), WifiWidth::MHz20);
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
        QCOMPARE(link.iface, u"wlp2s0"_s);
        QCOMPARE(link.ssid, std::optional(u"Dom"_s));
        QCOMPARE(link.channel, std::optional(36));
        QCOMPARE(link.band, WifiBand::GHz5);
        QCOMPARE(link.width, WifiWidth::MHz80);

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
        QCOMPARE(link.phy, WifiPhy::AC);
        QCOMPARE(link.mcs, std::optional(9));
        QCOMPARE(link.nss, std::optional(2));

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
        QCOMPARE(multi.channel, std::optional(33));
        QCOMPARE(multi.band, WifiBand::GHz6);
        QCOMPARE(multi.width, WifiWidth::MHz160);
    }

    void radioStandards_data() {
        QTest::addColumn<WifiBand>("band");
        QTest::addColumn<Blob>("tx");
        QTest::addColumn<Blob>("rx");
        QTest::addColumn<WifiPhy>("phy");
        QTest::addColumn<QString>("mcsNss");
        const quint16 eleven = 110, fiftyFour = 540;
        const Blob legacy54 = nest({{NL80211_RATE_INFO_BITRATE, blob(fiftyFour)}});
        const Blob he = nest({{NL80211_RATE_INFO_HE_MCS, bytes({11})}, {NL80211_RATE_INFO_HE_NSS, bytes({2})}});
        QTest::newRow("ht mcs 15") << WifiBand::GHz2_4
                                   << nest({{NL80211_RATE_INFO_BITRATE, blob(quint16(1300))},
                                            {NL80211_RATE_INFO_MCS, bytes({15})}})
                                   << Blob() << WifiPhy::N << u"7/2"_s;
        QTest::newRow("he") << WifiBand::GHz5 << he << Blob() << WifiPhy::AX << u"11/2"_s;
        QTest::newRow("eht is none of the table")
            << WifiBand::GHz6
            << nest({{NL80211_RATE_INFO_EHT_MCS, bytes({13})}, {NL80211_RATE_INFO_EHT_NSS, bytes({2})}}) << Blob()
            << WifiPhy::BE << u"13/2"_s;
        QTest::newRow("legacy 11 Mbit/s on 2.4 GHz")
            << WifiBand::GHz2_4 << nest({{NL80211_RATE_INFO_BITRATE, blob(eleven)}}) << Blob() << WifiPhy::B
            << QString();
        QTest::newRow("legacy 54 Mbit/s on 2.4 GHz")
            << WifiBand::GHz2_4 << legacy54 << Blob() << WifiPhy::G << QString();
        QTest::newRow("legacy on 5 GHz") << WifiBand::GHz5 << legacy54 << Blob() << WifiPhy::A << QString();
        QTest::newRow("legacy sent, he received") << WifiBand::GHz5 << legacy54 << he << WifiPhy::AX << QString();
        QTest::newRow("he sent, legacy received") << WifiBand::GHz5 << he << legacy54 << WifiPhy::AX << u"11/2"_s;
        QTest::newRow("vht without nss") << WifiBand::GHz5 << nest({{NL80211_RATE_INFO_VHT_MCS, bytes({9})}}) << Blob()
                                         << WifiPhy::AC << QString();
    }
    void radioStandards() {
        QFETCH(WifiBand, band);
        QFETCH(Blob, tx);
        QFETCH(Blob, rx);
        WifiLink link;
        link.band = band;
        const Blob info = nest({{NL80211_STA_INFO_TX_BITRATE, tx}, {NL80211_STA_INFO_RX_BITRATE, rx}});
        wifi::readStation(genl(NL80211_CMD_NEW_STATION, {{NL80211_ATTR_STA_INFO, info}}), link);
        QTEST(link.phy, "phy");
        QTEST(link.mcs && link.nss ? u"%1/%2"_s.arg(*link.mcs).arg(*link.nss) : QString(), "mcsNss");
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

    void chooseStation() {
        const auto station = [](const char* name, std::optional<QString> ssid, quint32 type = NL80211_IFTYPE_STATION) {
            return nl80211::WirelessInterface{QString::fromLatin1(name), type, std::move(ssid)};
        };
        // An idle internal card and an associated USB dongle: the dongle; an access point is no station.
        QCOMPARE(wifi::chooseStation({station("wlp2s0", {}), station("wlx00c0ca", u"Dom"_s)})->name, u"wlx00c0ca"_s);
        QCOMPARE(wifi::chooseStation({station("wlan0", u"Hot"_s, NL80211_IFTYPE_AP), station("wlan1", {})})->name,
                 u"wlan1"_s);
        QCOMPARE(wifi::chooseStation({}), nullptr);
    }

    void resolverFiles_data() {
        // The resolver file, NetworkManager's list, resolved's list, and what resolved says over D-Bus.
        QTest::addColumn<QByteArray>("resolvConf");
        QTest::addColumn<QByteArray>("networkManager");
        QTest::addColumn<QByteArray>("resolved");
        QTest::addColumn<QString>("upstream");
        QTest::addColumn<QString>("shown");
        const QByteArray none;
        QTest::newRow("plain server") << "nameserver 192.168.1.1\n"_ba
                                      << "nameserver 9.9.9.9\n"_ba << none << u"1.1.1.1"_s << u"192.168.1.1"_s;
        QTest::newRow("resolved's stub, asked over D-Bus")
            << "nameserver 127.0.0.53\noptions edns0 trust-ad\n"_ba << none << "nameserver 192.168.7.1\n"_ba
            << u"192.168.7.2"_s << u"192.168.7.2"_s;
        QTest::newRow("NetworkManager's dnsmasq")
            << "nameserver 127.0.1.1\n"_ba
            << "nameserver 127.0.0.1\nnameserver 2001:db8::53\n"_ba << none << QString() << u"2001:db8::53"_s;
        QTest::newRow("local unbound with nothing behind it")
            << "nameserver 127.0.0.1\n"_ba << none << none << QString() << u"127.0.0.1"_s;
        QTest::newRow("no file") << none << "nameserver 10.0.0.1\n"_ba << none << u"1.1.1.1"_s << QString();
        QTest::newRow("lines that are not servers")
            << "# Generated by NetworkManager\nsearch home\nnameserver\nnameserver not-an-address\n"
               ";nameserver 9.9.9.9\n\x01\xff garbage \n  nameserver\t192.168.1.1   # the router\nnameserver 1.1.1.1\n"_ba
            << none << none << QString() << u"192.168.1.1"_s;
        QTest::newRow("scoped link-local")
            << "nameserver fe80::1%wlan0\n"_ba << none << none << QString() << u"fe80::1%wlan0"_s;
    }
    void resolverFiles() {
        QFETCH(QByteArray, resolvConf);
        QFETCH(QByteArray, networkManager);
        QFETCH(QByteArray, resolved);
        QFETCH(QString, upstream);
        QTemporaryDir dir;
        resolv::Files files{dir.filePath(u"resolv.conf"_s), dir.filePath(u"no-stub.conf"_s),
                            dir.filePath(u"resolved.conf"_s)};
        const std::array<std::pair<QString, QByteArray>, 3> contents{
            {{files.resolvConf, resolvConf}, {files.networkManager, networkManager}, {files.resolved, resolved}}};
        for (const auto& [path, text] : contents) {
            if (!text.isNull())
                write(path, text);
        }
        const auto server =
            resolv::nameserver([&] { return upstream.isEmpty() ? std::nullopt : std::optional(upstream); }, files);
        QTEST(server.value_or(QString()), "shown");
    }

    void router() {
        const auto table = routes::parse("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\n"
                                         "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\n"
                                         "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\n"
                                         "garbage line\n"
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
        QCOMPARE(routes::router(none, {}, u"wlan0"_s), std::nullopt);
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
        // Tunnels by kind, whatever their names: a tap device and a modem's raw IP link are none.
        device(u"cscotun0"_s, u"virtual"_s, "DEVTYPE=tun\n", 65534, "");
        write(root + u"/cscotun0/tun_flags"_s, "0x1001\n");
        device(u"vnet0"_s, u"virtual"_s, "DEVTYPE=tun\n", 1, "fe:54:00:12:34:56");
        write(root + u"/vnet0/tun_flags"_s, "0x1002\n");
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

    void wholeNames_data() {
        QTest::addColumn<QString>("comm");
        QTest::addColumn<QByteArray>("cmdline");
        QTest::addColumn<QByteArray>("exe");
        QTest::addColumn<QString>("name");
        const QByteArray calendar = "/usr/libexec/gnome-shell-calendar-server";
        QTest::newRow("cut name, whole in argv[0]")
            << u"gnome-shell-cal"_s << calendar + '\0' << calendar << u"gnome-shell-calendar-server"_s;
        QTest::newRow("a script under its interpreter")
            << u"sync-my-photos-"_s << "/usr/bin/python3\0/home/ania/bin/sync-my-photos-nightly\0--quiet\0"_ba
            << "/usr/bin/python3.11"_ba << u"sync-my-photos-nightly"_s;
        QTest::newRow("a program that named itself anew")
            << u"Isolated Web Co"_s << "/usr/lib/firefox-esr/firefox-esr\0-contentproc\0"_ba
            << "/usr/lib/firefox-esr/firefox-esr"_ba << u"firefox-esr"_s;
        QTest::newRow("replaced executable")
            << u"Isolated Web Co"_s << QByteArray() << "/usr/lib/firefox/firefox (deleted)"_ba << u"firefox"_s;
    }
    void wholeNames() {
        QFETCH(QString, comm);
        QFETCH(QByteArray, cmdline);
        QFETCH(QByteArray, exe);
        QTEST(procnet::wholeName(comm, cmdline, exe), "name");
    }

    void vpnPrograms() {
        QTemporaryDir dir;
        const QString root = dir.path();
        // Mullvad's daemon holds a tun descriptor attached to tun1; NordVPN's cannot be looked into.
        write(root + u"/11/fdinfo/5"_s, "pos:\t0\nflags:\t02\niff:\ttun1\n");
        QDir().mkpath(root + u"/11/fd"_s);
        QVERIFY(QFile::link(u"/dev/net/tun"_s, root + u"/11/fd/5"_s));
        const std::vector<procnet::Process> running{{10, u"nordvpnd"_s, {}}, {11, u"mullvad-daemon"_s, {}}};
        const QStringList tunnels{u"nordlynx"_s, u"tun0"_s, u"tun1"_s, u"wg0-mullvad"_s, u"CloudflareWARP"_s};
        QCOMPARE(vpn::owners(tunnels, running, root), (QMap<QString, QString>{{u"CloudflareWARP"_s, QString()},
                                                                              {u"nordlynx"_s, u"NordVPN"_s},
                                                                              {u"tun0"_s, QString()},
                                                                              {u"tun1"_s, u"Mullvad VPN"_s},
                                                                              {u"wg0-mullvad"_s, u"Mullvad VPN"_s}}));
        // Without the daemons no tunnel is anyone's.
        QCOMPARE(vpn::owners({u"nordlynx"_s}, {}, root), (QMap<QString, QString>{{u"nordlynx"_s, QString()}}));
    }

    void samplerCountsEachSocketOnce_data() {
        // Samples in order, each "socket=received,acked ..." (the dump) then "| pid:name:inode,inode ..."
        // (the processes and their descriptors); then the totals of the last one.
        QTest::addColumn<QStringList>("samples");
        QTest::addColumn<QString>("totals");
        QTest::newRow("one socket, two processes")
            << QStringList{u"11=100,10 12=200,20 13=5,5 99=7,7 | 1:firefox:11,12 2:a,b:13 3:idle:"_s}
            << u"a_b.2=5,5 firefox.1=300,30"_s;
        QTest::newRow("closed socket keeps its bytes")
            << QStringList{u"11=100,10 12=200,20 | 1:firefox:11,12"_s, u"11=150,15 14=1,1 | 1:firefox:11,14"_s}
            << u"firefox.1=351,36"_s;
        QTest::newRow("all closed, still alive")
            << QStringList{u"11=100,10 | 1:firefox:11"_s, u"| 1:firefox:"_s} << u"firefox.1=100,10"_s;
        QTest::newRow("ended") << QStringList{u"11=100,10 | 1:firefox:11"_s, u"| 3:idle:"_s} << QString();
        QTest::newRow("missing from one dump")
            << QStringList{u"11=100,10 | 1:firefox:11"_s, u"| 1:firefox:11"_s, u"11=150,15 | 1:firefox:11"_s}
            << u"firefox.1=150,15"_s;
        QTest::newRow("listed twice in one dump")
            << QStringList{u"11=100,10 11=100,10 | 1:firefox:11"_s} << u"firefox.1=100,10"_s;
        QTest::newRow("passed to another process")
            << QStringList{u"11=100,10 | 1:sshd:11 2:bash:"_s, u"11=150,15 | 1:sshd: 2:bash:11"_s,
                           u"11=170,17 | 1:sshd: 2:bash:11"_s}
            << u"bash.2=70,7 sshd.1=100,10"_s;
        QTest::newRow("shared after a fork counts for the first")
            << QStringList{u"11=100,10 | 1:nginx:11 2:nginx:11"_s} << u"nginx.1=100,10"_s;
    }
    void samplerCountsEachSocketOnce() {
        QFETCH(QStringList, samples);
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
                procnet::Process process{p.section(u':', 0, 0).toInt(), p.section(u':', 1, 1), {}};
                for (const QString& inode : p.section(u':', 2).split(u',', Qt::SkipEmptyParts))
                    process.sockets.push_back(inode.toULongLong());
                processes.push_back(process);
            }
            last = parseSample(QString::fromUtf8(sampler.join(sockets, processes)));
        }
        QStringList totals;
        for (auto it = last.cbegin(); it != last.cend(); ++it)
            totals.append(u"%1=%2,%3"_s.arg(it.key()).arg(it->in).arg(it->out));
        QTEST(totals.join(u' '), "totals");
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
        QVERIFY(QTest::qWaitFor([&] { return a.samples() == 1 && a.slowReadings() == 1 && !a.linkBusy(); }));
    }
};

QTEST_GUILESS_MAIN(TestLinuxDetails)
#include "tst_linux_details.moc"
