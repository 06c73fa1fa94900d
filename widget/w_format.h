#pragma once

#include <QString>
#include <optional>

// A rate in bytes per second: whole decimal kilobytes below a megabyte, one decimal of megabytes from there.
QString wRate(double bytesPerSecond);

// A round-trip time as bare whole milliseconds, "x" when the ping got no answer.
QString wMs(std::optional<double> ms);
