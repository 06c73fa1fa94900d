#include "details/wifi_info.h"

#include "details/service.h"

#include <cmath>

using namespace Qt::StringLiterals;

QString bandText(int band) {
    switch (band) {
    case 1:
        return u"2,4 GHz"_s;
    case 2:
        return u"5 GHz"_s;
    case 3:
        return u"6 GHz"_s;
    default:
        return u"?"_s;
    }
}

QString widthText(int width) {
    switch (width) {
    case 1:
        return u"20"_s;
    case 2:
        return u"40"_s;
    case 3:
        return u"80"_s;
    case 4:
        return u"160"_s;
    default:
        return u"?"_s;
    }
}

QString phyText(int phy) {
    switch (phy) {
    case 1:
        return u"802.11a"_s;
    case 2:
        return u"802.11b"_s;
    case 3:
        return u"802.11g"_s;
    case 4:
        return u"802.11n"_s;
    case 5:
        return u"802.11ac"_s;
    case 6:
        return u"802.11ax"_s;
    default:
        return u"inny"_s;
    }
}

QString securityText(int security) {
    switch (security) {
    case 0:
        return u"brak"_s;
    case 4:
        return u"WPA2 Personal"_s;
    case 9:
        return u"WPA2 Enterprise"_s;
    case 11:
        return u"WPA3 Personal"_s;
    case 12:
        return u"WPA3 Enterprise"_s;
    case 13:
        return u"WPA2/WPA3"_s;
    default:
        return u"inne"_s;
    }
}

QList<KV> wifiInfo(const std::optional<platform::WifiLink>& link, std::optional<int> security, bool hotspot,
                   const QMap<QString, QString>& ifType) {
    if (!link)
        return {{u"Wi-Fi"_s, u"brak"_s}};
    const QString none = u"brak"_s;
    QList<KV> rows{{u"Interfejs"_s, interfaceLabel(link->iface, ifType)}};
    rows.append({u"Sieć"_s, link->ssid.value_or(hotspot ? u"hotspot iPhone"_s : u"ukryta (brak zgody Lokalizacji)"_s)});
    rows.append({u"RSSI"_s, link->rssi ? QString::number(*link->rssi) + u" dBm"_s : none});
    rows.append({u"Szum"_s, link->noise ? QString::number(*link->noise) + u" dBm"_s : none});
    rows.append({u"SNR"_s, link->rssi && link->noise ? QString::number(*link->rssi - *link->noise) + u" dB"_s : none});
    if (link->channel) {
        rows.append({u"Kanał"_s, QString::number(*link->channel) + u" ("_s + bandText(link->band) + u", "_s +
                                     widthText(link->width) + u" MHz)"_s});
    }
    rows.append({u"Tx rate"_s, QString::number(qint64(std::round(link->txRate))) + u" Mbit/s"_s});
    rows.append({u"PHY"_s, phyText(link->phy)});
    // Unknown until a slow reading has seen the access point; "brak" would claim an open network.
    rows.append({u"Zabezpieczenie"_s, security ? securityText(*security) : u"-"_s});
    if (link->bssid)
        rows.append({u"BSSID"_s, *link->bssid});
    rows.append({u"MCS / NSS"_s, link->mcs && link->nss
                                     ? QString::number(*link->mcs) + u" / "_s + QString::number(*link->nss)
                                     : u"brak publicznego API"_s});
    return rows;
}
