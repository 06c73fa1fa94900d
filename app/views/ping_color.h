#pragma once

#include <QColor>
#include <optional>

// Colour of a round-trip time: green below 80 ms, orange up to 200 ms, red above it and when lost.
QColor pingColor(std::optional<double> ms);

// The two-way form of the same rule: lost or above 200 ms.
bool pingAlarm(std::optional<double> ms);
