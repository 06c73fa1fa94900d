#pragma once

#include "common/timestamp.h"

#include <QString>

// A byte count in decimal units (1 kB = 1000 bytes) with the locale's decimal sign and no digit grouping:
// "512 B", "87 kB", "12.3 MB", "8.50 GB".
QString byteCount(quint64 bytes);

// How long ago `then` was, compactly: "teraz", "12 s", "3 min", "2 godz.", "1 dzień", "4 dni".
QString relativeAge(Timestamp then, Timestamp now);
