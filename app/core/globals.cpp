#include "core/globals.h"

using namespace Qt::StringLiterals;

QStringList defaultHosts() {
    // A public resolver, then the laptop and the server of a typical home network.
    return {u"1.1.1.1"_s, u"laptop"_s, u"serwer"_s};
}

QString version() {
    return QStringLiteral(TARNWICK_VERSION);
}

QString build() {
    return QStringLiteral(TARNWICK_BUILD);
}
