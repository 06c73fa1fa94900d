#include "advanced_sheet.h"

#include "views/advanced_content.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int contentWidth = 312;
constexpr int margin = 14;

} // namespace

Tailnet exitVia(const QString& exit, const QString& addr) {
    Tailnet t;
    t.state = u"Running"_s;
    t.tailnet = u"example.ts.net"_s;
    t.host = u"laptop"_s;
    t.selfIPs = {u"100.101.102.103"_s};
    t.exitName = exit;
    t.exitIP = u"100.64.0.9"_s;
    t.exitDirect = !addr.isEmpty();
    t.exitAddr = addr;
    t.exitRelay = u"ams"_s;
    t.exitPing = 23.4;
    return t;
}

DetailFacts laptopFacts() {
    DetailFacts f;
    f.wifi = {{u"Interfejs"_s, u"wlp0s20f3 (Wi-Fi)"_s},
              {u"Sieć"_s, u"Dom"_s},
              {u"RSSI"_s, u"-52 dBm"_s},
              {u"Szum"_s, u"brak"_s},
              {u"SNR"_s, u"brak"_s},
              {u"Kanał"_s, u"36 (5 GHz, 80 MHz)"_s},
              {u"Tx rate"_s, u"867 Mbit/s"_s},
              {u"PHY"_s, u"802.11ax"_s},
              {u"Zabezpieczenie"_s, u"WPA2/WPA3"_s},
              {u"BSSID"_s, u"a4:83:e7:aa:bb:cc"_s},
              {u"MCS / NSS"_s, u"9 / 2"_s}};
    f.addrs = {{u"wlp0s20f3 192.168.1.20"_s, u"192.168.1.20"_s},
               {u"wlp0s20f3 fd12:3456:789a::20"_s, u"fd12:3456:789a::20"_s},
               {u"tailscale0 100.101.102.103"_s, u"100.101.102.103"_s}};
    f.net = {{u"Router"_s, u"192.168.1.1"_s}, {u"DNS"_s, u"192.168.1.1"_s}};
    f.ifaces = {{u"tailscale0"_s, 900, 400}, {u"wlp0s20f3"_s, 1200000, 35000}};
    f.procs = {{u"firefox"_s, 52000, 3100},
               {u"firefox"_s, 800, 120},
               {u"ssh"_s, 310, 95},
               {u"tailscaled"_s, 40, 40},
               {u"syncthing"_s, 0, 0}};
    f.hwMAC = {{u"wlp0s20f3"_s, u"a4:83:e7:01:02:03"_s}};
    f.curMAC = {{u"wlp0s20f3"_s, u"3a:1b:2c:3d:4e:5f"_s}};
    f.ifType = {{u"wlp0s20f3"_s, u"Wi-Fi"_s}};
    f.peakDown = 4800000;
    f.peakUp = 210000;
    f.tailnet = exitVia(u"nl-exit"_s, {});
    f.publicIP = u"203.0.113.7"_s;
    f.publicIPExit = u"nl-exit"_s;
    return f;
}

DetailFacts longFacts() {
    DetailFacts f = laptopFacts();
    f.tailnet.reset();
    f.publicIPExit.reset();
    f.publicIP = u"<html><head><title>503 Service Unavailable</title></head><body>"_s + QString(400, u'x') +
                 u"</body></html>\n"_s;
    const QString usb = u"enx00e04c680a1b"_s;
    f.ifType = {{usb, u"USB 10/100/1000 LAN"_s}};
    f.addrs = {{usb + u" 2001:db8:85a3:1234:5678:8a2e:370:7334"_s, u"2001:db8:85a3:1234:5678:8a2e:370:7334"_s},
               {usb + u" 10.20.30.40"_s, u"10.20.30.40"_s}};
    f.ifaces = {{usb, 98700000, 45600000}};
    f.hwMAC = {{usb, u"00:e0:4c:68:0a:1b"_s}};
    f.curMAC = {{usb, u"be:e0:4c:68:0a:1b"_s}};
    f.procs = {{u"com.example.VeryLongHelperProcessNameThatNeverEnds"_s, 1e9, 2e9}};
    f.wifi = {{u"Sieć"_s, u"Sieć gościnna na drugim piętrze budynku B (tylko dla gości)"_s}};
    return f;
}

DetailFacts staleFacts() {
    DetailFacts f;
    f.wifi = {{u"Wi-Fi"_s, u"brak"_s}};
    f.needsLocation = true;
    f.tailnet = exitVia(u"de-exit"_s, u"198.51.100.4:41641"_s);
    f.publicIP = u"203.0.113.7"_s;
    f.publicIPExit = u"nl-exit"_s;
    return f;
}

std::unique_ptr<QWidget> advancedSheet(const DetailFacts& facts) {
    auto sheet = std::make_unique<QWidget>();
    auto* content = new AdvancedContent(sheet.get());
    content->setFixedWidth(contentWidth);
    content->setFacts(facts);
    auto* layout = new QVBoxLayout(sheet.get());
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);
    return sheet;
}
