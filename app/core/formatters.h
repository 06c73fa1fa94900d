#pragma once

#include "common/timestamp.h"

#include <QString>
#include <optional>

// A rate in bytes per second as decimal KB/s or MB/s: "999 KB/s", "1.0 MB/s", "100 MB/s".
QString rate(double bytesPerSecond);

// A round-trip time as whole milliseconds ("13 ms"), or "x" when there was no answer.
QString ms(std::optional<double> milliseconds);

// A span in whole seconds as "14 s", "2 min 14 s" or "3 h 5 min".
QString duration(Seconds span);
