#include "cli/details.h"
#include "details/detail_rows.h"
#include "details/process_traffic.h"
#include "details/service.h"
#include "details/wifi_info.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList noTailscale;

platform::WifiLink fullLink() {
    platform::WifiLink l;
    l.iface = u"wlan0"_s;
    l.ssid = u"Dom"_s;
    l.rssi = -52;
    l.noise = -91;
    l.channel = 36;
    l.band = platform::WifiBand::GHz5;
    l.width = platform::WifiWidth::MHz80;
    l.txRate = 866.5;
    l.phy = platform::WifiPhy::AX;
    l.bssid = u"a4:83:e7:01:02:03"_s;
    return l;
}

QString row(const QList<KV>& rows, const QString& k) {
    for (const KV& r : rows) {
        if (r.k == k)
            return r.v;
    }
    return u"<none>"_s;
}

Tailnet running(std::optional<QString> exit, const QString& exitAddr) {
    Tailnet t;
    t.state = u"Running"_s;
    t.tailnet = u"ania@example.com"_s;
    t.host = u"laptop"_s;
    t.selfIPs = {u"100.101.102.103"_s};
    t.exitName = std::move(exit);
    t.exitDirect = !exitAddr.isEmpty();
    t.exitAddr = exitAddr;
    t.exitRelay = u"ams"_s;
    t.exitPing = 23.4;
    return t;
}

} // namespace

class TestDetailParsing : public QObject {
    Q_OBJECT

private slots:
    void service_data() {
        QTest::addColumn<QString>("iface");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QStringList>("tailscale");
        // Tunnels the system described, as "device=program".
        QTest::addColumn<QStringList>("tunnels");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("symbol");
        const QStringList ts{u"100.101.102.103"_s, u"fd7a:115c:a1e0::1"_s};
        const QStringList none;
        QTest::newRow("own tailscale beats cgnat") << u"tailscale0"_s << u"100.101.102.103"_s << ts << none
                                                   << u"Tailscale"_s << u"point.3.connected.trianglepath.dotted"_s;
        QTest::newRow("own tailscale v6") << u"tailscale0"_s << u"fd7a:115c:a1e0::1"_s << ts << none << u"Tailscale"_s
                                          << u"point.3.connected.trianglepath.dotted"_s;
        QTest::newRow("cgnat") << u"eth0"_s << u"100.100.1.1"_s << noTailscale << none << u"CGNAT"_s << u"building.2"_s;
        QTest::newRow("zerotier") << u"ztabcdef"_s << u"10.147.17.5"_s << noTailscale << none << u"ZeroTier"_s
                                  << u"point.3.filled.connected.trianglepath.dotted"_s;
        QTest::newRow("hotspot") << u"wlan0"_s << u"172.20.10.14"_s << noTailscale << none << u"hotspot iPhone"_s
                                 << u"personalhotspot"_s;
        QTest::newRow("hotspot ends at 15")
            << u"wlan0"_s << u"172.20.10.16"_s << noTailscale << none << u"LAN"_s << u"house"_s;
        QTest::newRow("warp") << u"CloudflareWARP"_s << u"172.16.0.2"_s << noTailscale << none << u"Cloudflare WARP"_s
                              << u"cloud"_s;
        QTest::newRow("tunnel by name, before any reading")
            << u"tun0"_s << u"10.8.0.2"_s << noTailscale << none << u"VPN (tun0)"_s << u"lock.shield"_s;
        QTest::newRow("work tunnel beside a VPN daemon")
            << u"tun0"_s << u"10.8.0.2"_s << noTailscale << QStringList{u"tun0="_s, u"wg0-mullvad=Mullvad VPN"_s}
            << u"VPN (tun0)"_s << u"lock.shield"_s;
        QTest::newRow("the daemon's own tunnel") << u"wg0-mullvad"_s << u"10.64.0.2"_s << noTailscale
                                                 << QStringList{u"tun0="_s, u"wg0-mullvad=Mullvad VPN"_s}
                                                 << u"Mullvad VPN (wg0-mullvad)"_s << u"lock.shield"_s;
        QTest::newRow("custom-named wireguard by kind")
            << u"office"_s << u"10.8.0.2"_s << noTailscale << QStringList{u"office="_s} << u"VPN (office)"_s
            << u"lock.shield"_s;
        QTest::newRow("tunnel without address")
            << u"nordlynx"_s << QString() << noTailscale << QStringList{u"nordlynx=NordVPN"_s}
            << u"NordVPN (nordlynx)"_s << u"lock.shield"_s;
        QTest::newRow("ula") << u"eth0"_s << u"FD12::1"_s << noTailscale << none << u"LAN (ULA)"_s << u"house"_s;
        QTest::newRow("global v6") << u"eth0"_s << u"2a02::1"_s << noTailscale << none << u"publiczny"_s << u"globe"_s;
        QTest::newRow("lan 10/8") << u"eth0"_s << u"10.1.2.3"_s << noTailscale << none << u"LAN"_s << u"house"_s;
        QTest::newRow("lan 172.31") << u"eth0"_s << u"172.31.255.1"_s << noTailscale << none << u"LAN"_s << u"house"_s;
        QTest::newRow("172.32 is public")
            << u"eth0"_s << u"172.32.0.1"_s << noTailscale << none << u"publiczny"_s << u"globe"_s;
        QTest::newRow("lan 192.168") << u"eth0"_s << u"192.168.1.20"_s << noTailscale << none << u"LAN"_s << u"house"_s;
        QTest::newRow("public v4") << u"eth0"_s << u"203.0.113.7"_s << noTailscale << none << u"publiczny"_s
                                   << u"globe"_s;
        QTest::newRow("empty address") << u"eth0"_s << QString() << noTailscale << none << u"publiczny"_s << u"globe"_s;
    }
    void service() {
        QFETCH(QString, iface);
        QFETCH(QString, ip);
        QFETCH(QStringList, tailscale);
        QFETCH(QStringList, tunnels);
        QFETCH(QString, name);
        QFETCH(QString, symbol);
        QMap<QString, QString> programs;
        for (const QString& t : tunnels)
            programs.insert(t.section(u'=', 0, 0), t.section(u'=', 1));
        QCOMPARE(::service(iface, ip, tailscale, programs), (Service{name, symbol}));
    }

    void ipv4AndNetworks() {
        QCOMPARE(ipv4Value(u"192.168.1.1"), std::optional<quint32>(3232235777u));
        QCOMPARE(ipv4Value(u"1.2.x.3.4"), std::optional<quint32>(16909060u));
        QCOMPARE(ipv4Value(u"255.255.255.255"), std::optional<quint32>(0xFFFFFFFFu));
        for (const QStringView bad : {u"256.1.1.1", u"1.2.3", u"2001:db8::1", u"", u"1.2.3.4.5", u"-1.2.3.4"})
            QVERIFY2(!ipv4Value(bad), qPrintable(bad.toString()));
        // Empty pieces are dropped, so "1..2.3" has only three numbers.
        QVERIFY(!ipv4Value(u"1..2.3"));
        QVERIFY(in(u"172.20.10.14", u"172.20.10.0", 28));
        QVERIFY(!in(u"172.20.10.16", u"172.20.10.0", 28));
        QVERIFY(in(u"100.100.1.1", u"100.64.0.0", 10));
        QVERIFY(!in(u"100.128.0.1", u"100.64.0.0", 10));
        QVERIFY(in(u"8.8.8.8", u"1.2.3.4", 0));
        QVERIFY(!in(u"x", u"1.2.3.4", 0));
        QVERIFY(in(u"10.0.0.1", u"10.0.0.1", 32));
        QVERIFY(!in(u"10.0.0.2", u"10.0.0.1", 32));
    }

    void interfaceLabels() {
        QCOMPARE(interfaceLabel(u"eth1"_s, {{u"eth1"_s, u"USB 10/100/1000 LAN"_s}}), u"eth1 (USB LAN)"_s);
        QCOMPARE(interfaceLabel(u"wlan0"_s, {}), u"wlan0"_s);
    }

    void sampleLines() {
        const ProcessSample s = parseSample(u"process,bytes_in,bytes_out\n"
                                            u"Safari.512,1000,2000,\n"
                                            u"Mail.7,,2000,\n"
                                            u"Short.8,10\n"
                                            u"Neg.9,-1,5\n"
                                            u"Hex.10,0x10,5\n"
                                            u"\n"
                                            u"Big.11,18446744073709551615,0\n"
                                            u"Safari.512,3000,4000\n");
        QCOMPARE(s.keys(), (QStringList{u"Big.11"_s, u"Safari.512"_s}));
        QCOMPARE(s[u"Safari.512"_s], (platform::Counters{3000, 4000}));
        QCOMPARE(s[u"Big.11"_s].in, std::numeric_limits<quint64>::max());
        QVERIFY(parseSample(u"process,bytes_in,bytes_out\n"_s).isEmpty());
        QVERIFY(parseSample(u"Safari.512,1,2\n"_s).isEmpty());
        QCOMPARE(displayName(u"WebKit.Networking.1234"), u"WebKit.Networking"_s);
        QCOMPARE(displayName(u"kernel_task.0"), u"kernel_task"_s);
        QCOMPARE(displayName(u"nodots"), u"nodots"_s);
        QCOMPARE(displayName(u".5"), u".5"_s);
    }

    void processRates() {
        const ProcessSample before{{u"a.1"_s, {1000, 0}},    {u"b.2"_s, {500, 500}}, {u"gone.3"_s, {1, 1}},
                                   {u"drop.4"_s, {9000, 0}}, {u"c.5"_s, {0, 0}},     {u"d.6"_s, {0, 0}},
                                   {u"e.7"_s, {0, 0}},       {u"f.8"_s, {0, 0}},     {u"g.9"_s, {0, 0}}};
        const ProcessSample now{{u"a.1"_s, {5000, 0}},  {u"b.2"_s, {500, 10500}}, {u"new.10"_s, {100, 100}},
                                {u"drop.4"_s, {10, 0}}, {u"c.5"_s, {2, 0}},       {u"d.6"_s, {0, 6}},
                                {u"e.7"_s, {0, 0}},     {u"f.8"_s, {4, 4}},       {u"g.9"_s, {0, 0}}};
        const QList<Flow> flows = processFlows(before, now, Seconds(2.0));
        QCOMPARE(flows.size(), 5);
        QCOMPARE(flows[0], (Flow{u"b"_s, 0, 5000}));
        QCOMPARE(flows[1], (Flow{u"a"_s, 2000, 0}));
        QCOMPARE(flows[2], (Flow{u"f"_s, 2, 2}));
        QCOMPARE(flows[3], (Flow{u"d"_s, 0, 3}));
        QCOMPARE(flows[4], (Flow{u"c"_s, 1, 0}));
    }

    void interfaceRates() {
        QMap<QString, platform::Counters> now{
            {u"eth0"_s, {200, 1000}}, {u"lo"_s, {9, 9}}, {u"wlan0"_s, {10, 10}}, {u"tun0"_s, {4, 4}}};
        const QMap<QString, platform::Counters> before{
            {u"eth0"_s, {4294967000u, 0}}, {u"lo"_s, {0, 0}}, {u"wg0"_s, {0, 0}}};
        const QStringList addressed{u"eth0"_s, u"lo"_s, u"wlan0"_s};
        QCOMPARE(interfaceFlows(before, now, 32, addressed, Seconds(2.0)), (QList<Flow>{{u"eth0"_s, 248, 500}}));
        // A 64-bit counter that went down was reset: nothing is known about what passed.
        QCOMPARE(interfaceFlows(before, now, 64, addressed, Seconds(2.0)), (QList<Flow>{{u"eth0"_s, 0, 500}}));
        // An interface with only an IPv6 address is listed like any other.
        now.insert(u"wg0"_s, {100, 50});
        QCOMPARE(interfaceFlows(before, now, 64, {u"wg0"_s}, Seconds(2.0)), (QList<Flow>{{u"wg0"_s, 50, 25}}));
    }

    void wifiRows() {
        using namespace platform;
        const QMap<QString, QString> ports{{u"wlan0"_s, u"Wi-Fi"_s}};
        const AccessPoint transition{WifiSecurity::WPA2WPA3, WifiPhy::AX};
        QList<KV> rows = wifiInfo(fullLink(), transition, false, ports);
        QStringList keys;
        for (const KV& r : rows)
            keys.append(r.k);
        QCOMPARE(keys, (QStringList{u"Interfejs"_s, u"Sieć"_s, u"RSSI"_s, u"Szum"_s, u"SNR"_s, u"Kanał"_s, u"Tx rate"_s,
                                    u"PHY"_s, u"Zabezpieczenie"_s, u"BSSID"_s, u"MCS / NSS"_s}));
        QCOMPARE(row(rows, u"Interfejs"_s), u"wlan0 (Wi-Fi)"_s);
        QCOMPARE(row(rows, u"RSSI"_s), u"-52 dBm"_s);
        QCOMPARE(row(rows, u"Szum"_s), u"-91 dBm"_s);
        QCOMPARE(row(rows, u"SNR"_s), u"39 dB"_s);
        QCOMPARE(row(rows, u"Kanał"_s), u"36 (5 GHz, 80 MHz)"_s);
        QCOMPARE(row(rows, u"Tx rate"_s), u"867 Mbit/s"_s);
        QCOMPARE(row(rows, u"PHY"_s), u"802.11ax"_s);
        QCOMPARE(row(rows, u"Zabezpieczenie"_s), u"WPA2/WPA3"_s);
        QCOMPARE(row(rows, u"MCS / NSS"_s), u"brak"_s);

        WifiLink l = fullLink();
        l.ssid.reset();
        l.noise.reset();
        l.channel = 149;
        l.width = WifiWidth::Unknown;
        l.txRate = 0;
        l.phy = WifiPhy::Unknown;
        l.bssid.reset();
        l.mcs = 9;
        l.nss = 2;
        rows = wifiInfo(l, std::nullopt, true, {});
        QCOMPARE(rows.size(), 10);
        QCOMPARE(row(rows, u"Interfejs"_s), u"wlan0"_s);
        QCOMPARE(row(rows, u"Sieć"_s), u"hotspot iPhone"_s);
        QCOMPARE(row(rows, u"Szum"_s), u"brak"_s);
        QCOMPARE(row(rows, u"SNR"_s), u"brak"_s);
        QCOMPARE(row(rows, u"Kanał"_s), u"149 (5 GHz, ? MHz)"_s);
        QCOMPARE(row(rows, u"Tx rate"_s), u"0 Mbit/s"_s);
        QCOMPARE(row(rows, u"PHY"_s), u"inny"_s);
        QCOMPARE(row(rows, u"Zabezpieczenie"_s), u"-"_s);
        QCOMPARE(row(rows, u"MCS / NSS"_s), u"9 / 2"_s);

        // Not associated: no permission keeps the name from anyone here.
        l.channel.reset();
        rows = wifiInfo(l, AccessPoint{WifiSecurity::WPAMixed, WifiPhy::N}, false, {});
        QCOMPARE(rows.size(), 9);
        QCOMPARE(row(rows, u"Sieć"_s), u"brak połączenia"_s);
        QCOMPARE(row(rows, u"Zabezpieczenie"_s), u"inne"_s);
        l.nameWithheld = true;
        QCOMPARE(row(wifiInfo(l, std::nullopt, false, {}), u"Sieć"_s), u"ukryta (brak zgody Lokalizacji)"_s);
        QCOMPARE(wifiInfo(std::nullopt, transition, false, {}), (QList<KV>{{u"Wi-Fi"_s, u"brak"_s}}));

        // A legacy rate gives way to the access point's standard; a rate with MCS figures does not.
        l = fullLink();
        l.phy = WifiPhy::G;
        QCOMPARE(row(wifiInfo(l, transition, false, {}), u"PHY"_s), u"802.11ax"_s);
        QCOMPARE(row(wifiInfo(l, std::nullopt, false, {}), u"PHY"_s), u"802.11g"_s);
        l.phy = WifiPhy::AC;
        QCOMPARE(row(wifiInfo(l, transition, false, {}), u"PHY"_s), u"802.11ac"_s);

        QCOMPARE(bandText(WifiBand::GHz2_4) + widthText(WifiWidth::MHz20), u"2,4 GHz20"_s);
        QCOMPARE(bandText(WifiBand::Unknown) + widthText(WifiWidth::MHz160), u"?160"_s);
        QCOMPARE(securityText(WifiSecurity::Open) + securityText(WifiSecurity::WPA) + securityText(WifiSecurity::Other),
                 u"brakinneinne"_s);
    }

    void interfaceAndAddressRows() {
        DetailFacts f;
        f.ifaces = {{u"eth0"_s, 1'200'000, 35'000}, {u"tun3"_s, 0, 0}, {u"eth9"_s, 1, 1}, {u"wlan0"_s, 0, 0}};
        f.addrs = {{u"eth0 2a02::5"_s, u"2a02::5"_s},
                   {u"eth0 192.168.1.20"_s, u"192.168.1.20"_s},
                   {u"tun3 10.8.0.2"_s, u"10.8.0.2"_s},
                   {u"wlan0 fd00::2"_s, u"fd00::2"_s}};
        f.ifType = {{u"eth0"_s, u"Ethernet"_s}};
        f.net = {{u"Router"_s, u"192.168.1.1"_s}, {u"DNS"_s, u"-"_s}};
        f.hwMAC = {{u"eth0"_s, u"a4:83:e7:01:02:03"_s}, {u"wlan0"_s, u"a4:83:e7:0a:0b:0c"_s}};
        f.curMAC = {{u"eth0"_s, u"a4:83:e7:01:02:03"_s},
                    {u"wlan0"_s, u"3a:1b:2c:3d:4e:5f"_s},
                    {u"eth7"_s, u"00:11:22:33:44:55"_s}};
        const QList<DetailRow> ifaces = interfaceRows(f);
        QCOMPARE(ifaces.size(), 4);
        QCOMPARE(ifaces[0], (DetailRow{u"eth0 (Ethernet) · LAN"_s, u"↓ 1.2 MB/s  ↑ 35 KB/s"_s, u"house"_s}));
        QCOMPARE(ifaces[1].k, u"tun3 · VPN (tun3)"_s);
        QCOMPARE(ifaces[1].symbol, std::optional(u"lock.shield"_s));
        // No address row: classified with an empty address.
        QCOMPARE(ifaces[2].k, u"eth9 · publiczny"_s);
        // Only an IPv6 address: classified by it.
        QCOMPARE(ifaces[3].k, u"wlan0 · LAN (ULA)"_s);

        const QList<DetailRow> rows = addressRows(f);
        QStringList lines;
        for (const DetailRow& r : rows)
            lines.append(r.k + u'=' + r.v + u'=' + r.symbol.value_or(u"-"_s));
        QCOMPARE(lines, (QStringList{
                            u"Router=192.168.1.1=-"_s,
                            u"DNS=-=-"_s,
                            u"eth0 (Ethernet) · MAC sprzętowy=a4:83:e7:01:02:03=barcode"_s,
                            u"wlan0 · MAC sprzętowy=a4:83:e7:0a:0b:0c=barcode"_s,
                            u"wlan0 · MAC w tej sieci (prywatny)=3a:1b:2c:3d:4e:5f=barcode"_s,
                            u"eth0 (Ethernet) · publiczny=2a02::5=globe"_s,
                            u"eth0 (Ethernet) · LAN=192.168.1.20=house"_s,
                            u"tun3 · VPN (tun3)=10.8.0.2=lock.shield"_s,
                            u"wlan0 · LAN (ULA)=fd00::2=house"_s,
                        }));
        // A changed address that is not locally administered is not called private.
        f.curMAC[u"wlan0"_s] = u"a4:83:e7:99:99:99"_s;
        QCOMPARE(addressRows(f)[4].k, u"wlan0 · MAC w tej sieci"_s);
    }

    void tailscaleRows() {
        DetailFacts f;
        f.tailnet = running(u"nl-exit"_s, QString());
        QList<DetailRow> rows = addressRows(f);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (DetailRow{u"Tailscale"_s, u"Running · ania@example.com · laptop"_s,
                                     u"point.3.connected.trianglepath.dotted"_s}));
        QCOMPARE(rows[1], (DetailRow{u"Exit node"_s, u"nl-exit (DERP ams) · 23 ms"_s, {}}));
        f.tailnet = running(std::nullopt, QString());
        f.tailnet->state = u"NeedsLogin"_s;
        f.tailnet->tailnet.clear();
        rows = addressRows(f);
        QCOMPARE(rows[0].v, u"NeedsLogin · laptop"_s);
        QCOMPARE(rows[1].v, u"brak - ruch bezpośrednio"_s);
        f.tailnet = running(u"nl-exit"_s, u"203.0.113.7:41641"_s);
        QCOMPARE(addressRows(f)[1].v, u"nl-exit (direct) · 23 ms"_s);
        // An older client reports no state: only what is known is shown, and no row when nothing is.
        f.tailnet->state = u"?"_s;
        QCOMPARE(addressRows(f)[0].v, u"ania@example.com · laptop"_s);
        f.tailnet->tailnet = f.tailnet->host = QString();
        QCOMPARE(addressRows(f)[0].k, u"Exit node"_s);
    }

    void publicIPLine() {
        DetailFacts f;
        QCOMPARE(publicIPResult(f), std::nullopt);
        f.publicIP = u"…"_s;
        QCOMPARE(publicIPResult(f), (std::optional(PublicIPResult{u"…"_s, u"…"_s})));
        f.publicIP = u"203.0.113.7"_s;
        f.publicIPExit = u"nl-exit"_s;
        // Stored for an exit node, but there is no status now.
        QCOMPARE(publicIPResult(f), std::nullopt);
        f.tailnet = running(u"nl-exit"_s, u"203.0.113.7:41641"_s);
        QCOMPARE(publicIPResult(f)->text, u"203.0.113.7 = exit node nl-exit"_s);
        QCOMPARE(publicIPResult(f)->copy, u"203.0.113.7"_s);
        f.tailnet->exitAddr.clear();
        QCOMPARE(publicIPResult(f)->text, u"203.0.113.7 przez nl-exit"_s);
        f.tailnet->state = u"Stopped"_s;
        QCOMPARE(publicIPResult(f)->text, u"203.0.113.7"_s);
        f.tailnet = running(u"de-exit"_s, QString());
        QCOMPARE(publicIPResult(f), std::nullopt);
        f.tailnet = running(std::nullopt, QString());
        f.publicIPExit.reset();
        QCOMPARE(publicIPResult(f)->text, u"203.0.113.7"_s);
        // A body with a line feed is kept as received.
        f.publicIP = u"203.0.113.7\n"_s;
        QCOMPARE(publicIPResult(f)->copy, u"203.0.113.7\n"_s);
    }

    void terminalText() {
        DetailFacts f;
        f.ifaces = {{u"eth0"_s, 1'200'000, 35'000}};
        f.addrs = {{u"eth0 192.168.1.20"_s, u"192.168.1.20"_s},
                   {u"tailscale0 100.101.102.103"_s, u"100.101.102.103"_s}};
        f.tailnet = running(std::nullopt, QString());
        f.wifi = {{u"Wi-Fi"_s, u"brak"_s}};
        f.net = {{u"Router"_s, u"192.168.1.1"_s}, {u"DNS"_s, u"192.168.1.1"_s}};
        f.peakDown = 2'500'000;
        const QString text = detailsText(f);
        QCOMPARE(text, u"Interfejsy\n"
                       u"  eth0 · LAN  ↓ 1.2 MB/s  ↑ 35 KB/s\n"
                       u"\n"
                       u"Szczyt (5 min)\n"
                       u"  ↓ pobieranie  2.5 MB/s\n"
                       u"  ↑ wysyłanie   0 KB/s\n"
                       u"\n"
                       u"Procesy\n"
                       u"  zbieram dane…\n"
                       u"\n"
                       u"Wi-Fi\n"
                       u"  Wi-Fi  brak\n"
                       u"\n"
                       u"Adresy\n"
                       u"  Router                  192.168.1.1\n"
                       u"  DNS                     192.168.1.1\n"
                       u"  Tailscale               Running · ania@example.com · laptop\n"
                       u"  Exit node               brak - ruch bezpośrednio\n"
                       u"  eth0 · LAN              192.168.1.20\n"
                       u"  tailscale0 · Tailscale  100.101.102.103\n"
                       u"  Publiczny IP            Sprawdź\n"
                       u"\n"_s);
    }

    // Names from the network and from processes only show: nothing drives the terminal or forges a line.
    void terminalTextShowsControls() {
        DetailFacts f;
        f.procs = {{u"evil\x1b]0;x\a"_s, 10, 0}};
        f.wifi = {{u"SSID"_s, u"Dom\nfałszywa linia"_s}};
        f.publicIP = u"203.0.113.7\n"_s;
        const QString text = detailsText(f);
        QVERIFY(std::none_of(text.cbegin(), text.cend(),
                             [](QChar c) { return c != u'\n' && c.category() == QChar::Other_Control; }));
        for (const QString& shown :
             {u"evil\\x1b]0;x\\x07"_s, u"  SSID  Dom\\x0afałszywa linia\n"_s, u"203.0.113.7\\x0a\n"_s})
            QVERIFY2(text.contains(shown), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestDetailParsing)
#include "tst_detail_parsing.moc"
