#include "platform/platform.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace platform {

Tool pingTool() {
    // iputils: -W is the reply wait (-t would be the TTL). Its output is translated, and "time=" is only
    // there in the C locale.
    return {u"/bin/ping"_s, {u"-c1"_s, u"-W1"_s}, {{u"LC_ALL"_s, u"C"_s}}};
}

QString tailscalePath() {
    return u"/usr/bin/tailscale"_s;
}

QString dataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Tarnwick"_s;
}

} // namespace platform
