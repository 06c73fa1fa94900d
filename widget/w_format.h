#pragma once

#include <QColor>
#include <QString>
#include <optional>

// A rate in bytes per second: whole decimal kilobytes below a megabyte, one decimal of megabytes from there.
QString wRate(double bytesPerSecond);

// A round-trip time as bare whole milliseconds, "x" when the ping got no answer.
QString wMs(std::optional<double> ms);

// How good a ping is: lost or above 200 ms is bad, from 80 ms up to 200 ms slow.
enum class PingLevel { Good, Slow, Bad };
PingLevel pingLevel(std::optional<double> ms);
QColor pingColor(std::optional<double> ms);
