#include "views/ping_color.h"

#include "views/style.h"

QColor pingColor(std::optional<double> ms) {
    if (pingAlarm(ms))
        return colors::red;
    return *ms < 80 ? colors::green : colors::orange;
}

bool pingAlarm(std::optional<double> ms) {
    return !ms || *ms > 200;
}
