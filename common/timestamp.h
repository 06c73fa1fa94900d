#pragma once

#include <QDateTime>
#include <chrono>

// Wall-clock instants and spans of seconds, shared by the application and the widget.
using Timestamp = std::chrono::system_clock::time_point;
using Seconds = std::chrono::duration<double>;

// The instant `span` before `t`.
Timestamp ago(Timestamp t, Seconds span);

// Seconds from `from` to `to` (negative when `to` is earlier).
Seconds between(Timestamp from, Timestamp to);

// The snapshot file counts time from 2001-01-01 00:00:00 UTC.
double referenceSeconds(Timestamp t);
Timestamp fromReferenceSeconds(double seconds);

// The instant in the local time zone.
QDateTime localTime(Timestamp t);
