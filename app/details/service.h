#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// What kind of network an address belongs to, as a name and a symbol.
struct Service {
    QString name;
    QString symbol;

    bool operator==(const Service&) const = default;
};

// Classifies the address `ip` of interface `iface`; `tailscale` holds the machine's own Tailscale
// addresses. `tunnels` maps the tunnel devices the system described to the VPN program that runs each (empty
// when unknown: "VPN"); a device it does not list is judged by its name.
Service service(const QString& iface, const QString& ip, const QStringList& tailscale,
                const QMap<QString, QString>& tunnels);

// The value of a dotted IPv4 address (192.168.1.1 → 0xC0A80101); pieces that are not numbers are dropped.
std::optional<quint32> ipv4Value(QStringView text);

// Whether `ip` lies in the network `net`/`bits`.
bool in(QStringView ip, QStringView net, quint32 bits);

// A device name with its hardware port: "en0 (Wi-Fi)"; the bare name when the port is unknown.
QString interfaceLabel(const QString& name, const QMap<QString, QString>& ifType);
