#include "cli/details.h"
#include "details/process_traffic.h"
#include "details/service.h"
#include "details/wifi_info.h"
#include "views/detail_rows.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using namespace platform;

WifiLink link() {
    WifiLink l;
    l.iface = u"wlan0"_s;
    l.ssid = u"Dom"_s;
    l.rssi = -52;
    l.noise = -91;
    l.channel = 36;
    l.band = WifiBand::GHz5;
    l.width = WifiWidth::MHz80;
    l.txRate = 866.5;
    l.phy = WifiPhy::AX;
    l.bssid = u"a4:83:e7:01:02:03"_s;
    return l;
}
const WifiLink fullLink = link();

// "k=v" per row, one line each; rows of a card carry their symbol after another "=".
QString text(const QList<KV>& rows) {
    QStringList lines;
    for (const KV& r : rows)
        lines.append(r.k + u'=' + r.v);
    return lines.join(u'\n');
}
QString text(const QList<DetailRow>& rows) {
    QStringList lines;
    for (const DetailRow& r : rows)
        lines.append(r.k + u'=' + r.v + u'=' + r.symbol.value_or(u"-"_s));
    return lines.join(u'\n');
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
    void service() {
        // The machine's own Tailscale addresses; tunnels the system described, as "device=program".
        const QStringList ts{u"100.101.102.103"_s, u"fd7a:115c:a1e0::1"_s},
            mullvad{u"tun0="_s, u"wg0-mullvad=Mullvad VPN"_s};
        const Service tailscale{u"Tailscale"_s, u"point.3.connected.trianglepath.dotted"_s},
            pub{u"publiczny"_s, u"globe"_s};
        const std::tuple<QString, QString, QStringList, Service> rows[]{
            {u"tailscale0"_s, u"100.101.102.103"_s, {}, tailscale},
            {u"eth0"_s, u"100.100.1.1"_s, {}, {u"CGNAT"_s, u"building.2"_s}},
            {u"ztabcdef"_s, u"10.147.17.5"_s, {}, {u"ZeroTier"_s, u"point.3.filled.connected.trianglepath.dotted"_s}},
            {u"wlan0"_s, u"172.20.10.14"_s, {}, {u"hotspot iPhone"_s, u"personalhotspot"_s}},
            {u"CloudflareWARP"_s, u"172.16.0.2"_s, {}, {u"Cloudflare WARP"_s, u"cloud"_s}},
            {u"tun0"_s, u"10.8.0.2"_s, mullvad, {u"VPN (tun0)"_s, u"lock.shield"_s}},
            {u"wg0-mullvad"_s, u"10.64.0.2"_s, mullvad, {u"Mullvad VPN (wg0-mullvad)"_s, u"lock.shield"_s}},
            {u"office"_s, u"10.8.0.2"_s, {u"office="_s}, {u"VPN (office)"_s, u"lock.shield"_s}}, // wireguard by kind
            {u"nordlynx"_s, QString(), {u"nordlynx=NordVPN"_s}, {u"NordVPN (nordlynx)"_s, u"lock.shield"_s}},
            {u"eth0"_s, QString(), {}, pub}};
        for (const auto& [iface, ip, tunnels, expected] : rows) {
            QMap<QString, QString> programs;
            for (const QString& t : tunnels)
                programs.insert(t.section(u'=', 0, 0), t.section(u'=', 1));
            QCOMPARE(::service(iface, ip, ts, programs), expected);
        }
    }

    void processRates() {
        const ProcessSample before{{u"a.1"_s, {1000, 0}},    {u"b.2"_s, {500, 500}}, {u"gone.3"_s, {1, 1}},
                                   {u"drop.4"_s, {9000, 0}}, {u"c.5"_s, {0, 0}},     {u"d.6"_s, {0, 0}},
                                   {u"e.7"_s, {0, 0}},       {u"f.8"_s, {0, 0}},     {u"g.9"_s, {0, 0}}};
        const ProcessSample now{{u"a.1"_s, {5000, 0}},  {u"b.2"_s, {500, 10500}}, {u"new.10"_s, {100, 100}},
                                {u"drop.4"_s, {10, 0}}, {u"c.5"_s, {2, 0}},       {u"d.6"_s, {0, 6}},
                                {u"e.7"_s, {0, 0}},     {u"f.8"_s, {4, 4}},       {u"g.9"_s, {0, 0}}};
        QCOMPARE(processFlows(before, now, Seconds(2.0)),
                 (QList<Flow>{{u"b"_s, 0, 5000}, {u"a"_s, 2000, 0}, {u"f"_s, 2, 2}, {u"d"_s, 0, 3}, {u"c"_s, 1, 0}}));
    }

    void interfaceRates() {
        const QMap<QString, Counters> now{
            {u"eth0"_s, {200, 1000}}, {u"lo"_s, {9, 9}}, {u"wlan0"_s, {10, 10}}, {u"tun0"_s, {4, 4}}};
        const QMap<QString, Counters> before{{u"eth0"_s, {4294967000u, 0}}, {u"lo"_s, {0, 0}}, {u"wg0"_s, {0, 0}}};
        const QStringList addressed{u"eth0"_s, u"lo"_s, u"wlan0"_s};
        QCOMPARE(interfaceFlows(before, now, 32, addressed, Seconds(2.0)), (QList<Flow>{{u"eth0"_s, 248, 500}}));
        // A 64-bit counter that went down was reset: nothing is known about what passed.
        QCOMPARE(interfaceFlows(before, now, 64, addressed, Seconds(2.0)), (QList<Flow>{{u"eth0"_s, 0, 500}}));
    }

    void wifiRows() {
        const AccessPoint transition{WifiSecurity::WPA2WPA3, WifiPhy::AX};
        QCOMPARE(
            text(wifiInfo(fullLink, transition, false, {{u"wlan0"_s, u"Wi-Fi"_s}})),
            u"Interfejs=wlan0 (Wi-Fi)\nSieć=Dom\nRSSI=-52 dBm\nSzum=-91 dBm\nSNR=39 dB\nKanał=36 (5 GHz, 80 MHz)\n"
            u"Tx rate=867 Mbit/s\nPHY=802.11ax\nZabezpieczenie=WPA2/WPA3\nBSSID=a4:83:e7:01:02:03\nMCS / NSS=brak"_s);
        WifiLink l = fullLink;
        l.ssid.reset();
        l.nameWithheld = true;
        QCOMPARE(wifiInfo(l, std::nullopt, false, {}).value(1).v, u"ukryta (brak zgody Lokalizacji)"_s);
        QCOMPARE(wifiInfo(std::nullopt, transition, false, {}), (QList<KV>{{u"Wi-Fi"_s, u"brak"_s}}));
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
        f.curMAC = {{u"eth0"_s, u"a4:83:e7:01:02:03"_s}, {u"wlan0"_s, u"3a:1b:2c:3d:4e:5f"_s}};
        // Without an address row eth9 is classified with an empty address; wlan0 by its only, IPv6, address.
        QCOMPARE(text(interfaceRows(f)), u"eth0 (Ethernet) · LAN=↓ 1.2 MB/s  ↑ 35 KB/s=house\n"
                                         u"tun3 · VPN (tun3)=↓ 0 KB/s  ↑ 0 KB/s=lock.shield\n"
                                         u"eth9 · publiczny=↓ 0 KB/s  ↑ 0 KB/s=globe\n"
                                         u"wlan0 · LAN (ULA)=↓ 0 KB/s  ↑ 0 KB/s=house"_s);
        QCOMPARE(text(addressRows(f)), u"Router=192.168.1.1=-\n"
                                       u"DNS=-=-\n"
                                       u"eth0 (Ethernet) · MAC sprzętowy=a4:83:e7:01:02:03=barcode\n"
                                       u"wlan0 · MAC sprzętowy=a4:83:e7:0a:0b:0c=barcode\n"
                                       u"wlan0 · MAC w tej sieci (prywatny)=3a:1b:2c:3d:4e:5f=barcode\n"
                                       u"eth0 (Ethernet) · publiczny=2a02::5=globe\n"
                                       u"eth0 (Ethernet) · LAN=192.168.1.20=house\n"
                                       u"tun3 · VPN (tun3)=10.8.0.2=lock.shield\n"
                                       u"wlan0 · LAN (ULA)=fd00::2=house"_s);
    }

    void tailscaleRows() {
        DetailFacts f;
        f.tailnet = running(u"nl-exit"_s, QString());
        QCOMPARE(text(addressRows(f)), u"Tailscale=Running · ania@example.com · laptop=point.3.connected.trianglepath."
                                       u"dotted\nExit node=nl-exit (DERP ams) · 23 ms=-"_s);
        f.tailnet = running(std::nullopt, QString());
        f.tailnet->state = u"NeedsLogin"_s;
        f.tailnet->tailnet.clear();
        QCOMPARE(addressRows(f)[0].v + u'|' + addressRows(f)[1].v, u"NeedsLogin · laptop|brak - ruch bezpośrednio"_s);
        f.tailnet = running(u"nl-exit"_s, u"203.0.113.7:41641"_s);
        QCOMPARE(addressRows(f)[1].v, u"nl-exit (direct) · 23 ms"_s);
    }

    void publicIPLine() {
        DetailFacts f;
        const auto shown = [&] {
            const auto r = publicIPResult(f);
            return r ? r->text + u'|' + r->copy : u"button"_s;
        };
        QStringList got{shown()};
        f.publicIP = u"203.0.113.7"_s;
        f.publicIPExit = u"nl-exit"_s;
        got.append(shown()); // stored for an exit node, but there is no status now
        f.tailnet = running(u"nl-exit"_s, QString());
        got.append(shown());
        f.tailnet->state = u"Stopped"_s;
        got.append(shown());
        f.tailnet = running(std::nullopt, QString());
        f.publicIPExit.reset();
        f.publicIP = u"203.0.113.7\n"_s; // a body with a line feed is kept as received
        got.append(shown());
        QCOMPARE(got, (QStringList{u"button"_s, u"button"_s, u"203.0.113.7 przez nl-exit|203.0.113.7"_s,
                                   u"203.0.113.7|203.0.113.7"_s, u"203.0.113.7\n|203.0.113.7\n"_s}));
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
        // One source line per card.
        QCOMPARE(detailsText(f),
                 u"Interfejsy\n  eth0 · LAN  ↓ 1.2 MB/s  ↑ 35 KB/s\n\n"
                 u"Szczyt (5 min)\n  ↓ pobieranie  2.5 MB/s\n  ↑ wysyłanie   0 KB/s\n\n"
                 u"Procesy\n  zbieram dane…\n\n"
                 u"Wi-Fi\n  Wi-Fi  brak\n\n"
                 u"Adresy\n  Router                  192.168.1.1\n  DNS                     192.168.1.1\n"
                 u"  Tailscale               Running · ania@example.com · laptop\n"
                 u"  Exit node               brak - ruch bezpośrednio\n"
                 u"  eth0 · LAN              192.168.1.20\n  tailscale0 · Tailscale  100.101.102.103\n"
                 u"  Publiczny IP            Sprawdź\n\n"_s);
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
