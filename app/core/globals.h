#pragma once

#include "common/timestamp.h"

#include <QString>
#include <QStringList>

// Refresh period; the current round-trip time is the newest sample of the last tick × 1.5.
inline constexpr Seconds tick{2.0};
// Length of the ping history and of the rate window.
inline constexpr Seconds historySeconds{300.0};
// Window of the statistics shown for a host.
inline constexpr Seconds statsSeconds{60.0};
// Proportion of the host detail layout.
inline constexpr double phi = 1.618;

// Hosts pinged when the user has stored none.
QStringList defaultHosts();

// Version and build number of this build.
QString version();
QString build();
