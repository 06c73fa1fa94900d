#include "common/ping_alarm.h"

PingLevel pingLevel(std::optional<double> ms) {
    if (pingAlarm(ms))
        return PingLevel::Bad;
    return *ms < 80 ? PingLevel::Good : PingLevel::Slow;
}

bool pingAlarm(std::optional<double> ms) {
    return !ms || *ms > 200;
}

QColor pingColor(std::optional<double> ms) {
    switch (pingLevel(ms)) {
    case PingLevel::Good:
        return colors::green;
    case PingLevel::Slow:
        return colors::orange;
    case PingLevel::Bad:
        break;
    }
    return colors::red;
}
