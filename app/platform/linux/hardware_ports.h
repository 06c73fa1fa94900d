#pragma once

#include <QMap>
#include <QString>
#include <optional>

// Network devices as sysfs describes them; `root` is the folder that lists them (/sys/class/net).
namespace platform::sysfs {

inline const QString netRoot = QStringLiteral("/sys/class/net");

// The hardware port of one device ("Wi-Fi", "Bridge", "WWAN", "USB LAN", "Ethernet"); absent for virtual
// devices and for devices that vanished.
std::optional<QString> portOf(const QString& root, const QString& device);

// Device → port for every device with a port.
QMap<QString, QString> hardwarePorts(const QString& root = netRoot);

// The devices that carry IP packets without an Ethernet frame, as VPNs do: tun (not tap) devices, WireGuard,
// PPP and the kernel's IP tunnels.
QStringList tunnels(const QString& root = netRoot);

// Device → the MAC address in use, for Ethernet-type devices with a non-zero address.
QMap<QString, QString> currentMACs(const QString& root = netRoot);

// The address burnt into the device (ethtool's permanent address); absent when the driver has none.
std::optional<QString> permanentMAC(const QString& device);

} // namespace platform::sysfs
