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

// The snapshot file counts time from 2001-01-01 00:00:00 UTC. Its instants lie between then and 2^32 s
// later; further out, the clock's whole nanoseconds would overflow.
bool isReferenceSeconds(double seconds);
double referenceSeconds(Timestamp t);
// Seconds outside the span count as its nearer end.
Timestamp fromReferenceSeconds(double seconds);

// The instant in the local time zone.
QDateTime localTime(Timestamp t);
