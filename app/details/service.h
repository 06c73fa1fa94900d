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
// addresses. `vpn` names the running VPN program that tunnels are attributed to ("VPN" when absent); the
// collector finds it among the running processes (Advanced::vpn), so drawing never scans them.
Service service(const QString& iface, const QString& ip, const QStringList& tailscale,
                const std::optional<QString>& vpn);

// The value of a dotted IPv4 address (192.168.1.1 → 0xC0A80101); pieces that are not numbers are dropped.
std::optional<quint32> ipv4Value(QStringView text);

// Whether `ip` lies in the network `net`/`bits`.
bool in(QStringView ip, QStringView net, quint32 bits);

// The display name of the first known VPN program among the names of the running `processes`.
std::optional<QString> vpnName(const QStringList& processes);

// A device name with its hardware port: "en0 (Wi-Fi)"; the bare name when the port is unknown.
QString interfaceLabel(const QString& name, const QMap<QString, QString>& ifType);
