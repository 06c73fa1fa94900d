#pragma once

#include "common/timestamp.h"

#include <QString>

// The local time of day in the locale's style with seconds, "14:03:27".
QString timeOfDay(Timestamp t);
// The local time of day in the locale's short style, hours and minutes only: "14:03".
QString shortTimeOfDay(Timestamp t);
