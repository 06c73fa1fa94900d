#include "details/wifi_info.h"

#include "details/service.h"

#include <cmath>

using namespace Qt::StringLiterals;

using platform::WifiBand;
using platform::WifiPhy;
using platform::WifiSecurity;
using platform::WifiWidth;

QString bandText(WifiBand band) {
    switch (band) {
    case WifiBand::GHz2_4:
        return u"2,4 GHz"_s;
    case WifiBand::GHz5:
        return u"5 GHz"_s;
    case WifiBand::GHz6:
        return u"6 GHz"_s;
    case WifiBand::Unknown:
        break;
    }
    return u"?"_s;
}

QString widthText(WifiWidth width) {
    switch (width) {
    case WifiWidth::MHz20:
        return u"20"_s;
    case WifiWidth::MHz40:
        return u"40"_s;
    case WifiWidth::MHz80:
        return u"80"_s;
    case WifiWidth::MHz160:
        return u"160"_s;
    case WifiWidth::Unknown:
        break;
    }
    return u"?"_s;
}

QString phyText(WifiPhy phy) {
    switch (phy) {
    case WifiPhy::A:
        return u"802.11a"_s;
    case WifiPhy::B:
        return u"802.11b"_s;
    case WifiPhy::G:
        return u"802.11g"_s;
    case WifiPhy::N:
        return u"802.11n"_s;
    case WifiPhy::AC:
        return u"802.11ac"_s;
    case WifiPhy::AX:
        return u"802.11ax"_s;
    case WifiPhy::BE:
    case WifiPhy::Unknown:
        break;
    }
    return u"inny"_s;
}

QString securityText(WifiSecurity security) {
    switch (security) {
    case WifiSecurity::Open:
        return u"brak"_s;
    case WifiSecurity::WPA2Personal:
        return u"WPA2 Personal"_s;
    case WifiSecurity::WPA2Enterprise:
        return u"WPA2 Enterprise"_s;
    case WifiSecurity::WPA3Personal:
        return u"WPA3 Personal"_s;
    case WifiSecurity::WPA3Enterprise:
        return u"WPA3 Enterprise"_s;
    case WifiSecurity::WPA2WPA3:
        return u"WPA2/WPA3"_s;
    case WifiSecurity::WEP:
    case WifiSecurity::WPA:
    case WifiSecurity::WPAMixed:
    case WifiSecurity::Other:
        break;
    }
    return u"inne"_s;
}

QList<KV> wifiInfo(const std::optional<platform::WifiLink>& link, const std::optional<platform::AccessPoint>& point,
                   bool hotspot, const QMap<QString, QString>& ifType) {
    if (!link)
        return {{u"Wi-Fi"_s, u"brak"_s}};
    const QString none = u"brak"_s;
    QList<KV> rows{{u"Interfejs"_s, interfaceLabel(link->iface, ifType)}};
    QString name = u"brak połączenia"_s;
    if (link->ssid)
        name = *link->ssid;
    else if (hotspot)
        name = u"hotspot iPhone"_s;
    else if (link->nameWithheld)
        name = u"ukryta (brak zgody Lokalizacji)"_s;
    rows.append({u"Sieć"_s, name});
    rows.append({u"RSSI"_s, link->rssi ? QString::number(*link->rssi) + u" dBm"_s : none});
    rows.append({u"Szum"_s, link->noise ? QString::number(*link->noise) + u" dBm"_s : none});
    rows.append({u"SNR"_s, link->rssi && link->noise ? QString::number(*link->rssi - *link->noise) + u" dB"_s : none});
    if (link->channel) {
        rows.append({u"Kanał"_s, QString::number(*link->channel) + u" ("_s + bandText(link->band) + u", "_s +
                                     widthText(link->width) + u" MHz)"_s});
    }
    rows.append({u"Tx rate"_s, QString::number(qint64(std::round(link->txRate))) + u" Mbit/s"_s});
    // A legacy rate in both directions says little (management frames go at one); the access point's own
    // elements then tell the standard of the link.
    WifiPhy phy = link->phy;
    if (phy <= WifiPhy::G && point && point->phy > phy)
        phy = point->phy;
    rows.append({u"PHY"_s, phyText(phy)});
    // Unknown until a slow reading has seen the access point; "brak" would claim an open network.
    const std::optional<WifiSecurity> security = point ? point->security : std::nullopt;
    rows.append({u"Zabezpieczenie"_s, security ? securityText(*security) : u"-"_s});
    if (link->bssid)
        rows.append({u"BSSID"_s, *link->bssid});
    rows.append({u"MCS / NSS"_s,
                 link->mcs && link->nss ? QString::number(*link->mcs) + u" / "_s + QString::number(*link->nss) : none});
    return rows;
}
