#pragma once

#include "details/advanced.h"
#include "platform/platform.h"

#include <QList>
#include <QMap>
#include <optional>

// Texts of the Wi-Fi codes; "?", "inny" or "inne" for codes outside the tables.
QString bandText(int band);
QString widthText(int width);
QString phyText(int phy);
QString securityText(int security);

// The Wi-Fi rows of a link reading: the single row "Wi-Fi" = "brak" without Wi-Fi. `security` is the
// access point's code when known, `hotspot` whether the machine is on a phone's hotspot.
QList<KV> wifiInfo(const std::optional<platform::WifiLink>& link, std::optional<int> security, bool hotspot,
                   const QMap<QString, QString>& ifType);
