#pragma once

#include <QColor>
#include <optional>

// How good a round-trip time is: lost or above 200 ms is bad, from 80 ms up to 200 ms slow.
enum class PingLevel { Good, Slow, Bad };
PingLevel pingLevel(std::optional<double> ms);

// The alarm both programs raise: lost or above 200 ms.
bool pingAlarm(std::optional<double> ms);

namespace colors {
inline const QColor green{0x34, 0xC7, 0x59};
inline const QColor orange{0xFF, 0x95, 0x00};
inline const QColor red{0xFF, 0x3B, 0x30};
} // namespace colors

// Colour of a round-trip time: green when good, orange when slow, red when bad.
QColor pingColor(std::optional<double> ms);
