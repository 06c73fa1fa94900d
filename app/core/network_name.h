#pragma once

#include "platform/platform.h"

// The human name of the current network: the phone hotspot, the Wi-Fi network, the primary interface's
// address, or "brak" and the interface that has none.
QString networkName(const QMap<QString, QString>& ipv4, const platform::Link& link);
