#pragma once

#include "details/advanced.h"
#include "platform/platform.h"

#include <QList>
#include <QMap>
#include <optional>

// Texts of the Wi-Fi codes; "?", "inny" or "inne" for codes outside the tables.
QString bandText(platform::WifiBand band);
QString widthText(platform::WifiWidth width);
QString phyText(platform::WifiPhy phy);
QString securityText(platform::WifiSecurity security);

// The Wi-Fi rows of a link reading: the single row "Wi-Fi" = "brak" without Wi-Fi. `point` is what the
// associated access point says about itself, when known; `hotspot` whether the machine is on a phone's hotspot.
QList<KV> wifiInfo(const std::optional<platform::WifiLink>& link, const std::optional<platform::AccessPoint>& point,
                   bool hotspot, const QMap<QString, QString>& ifType);
