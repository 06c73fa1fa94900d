#pragma once

#include <QMap>
#include <QString>
#include <optional>

// A phone's personal hotspot hands out 172.20.10.1 to 172.20.10.15.
bool isHotspotAddress(QStringView ipv4);

// The first interface whose IPv4 address is a hotspot address.
std::optional<QString> hotspotInterface(const QMap<QString, QString>& ipv4);
