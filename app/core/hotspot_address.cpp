#include "core/hotspot_address.h"

using namespace Qt::StringLiterals;

bool isHotspotAddress(QStringView ipv4) {
    if (!ipv4.startsWith(u"172.20.10."_s))
        return false;
    const auto parts = ipv4.split(u'.', Qt::SkipEmptyParts);
    bool ok = false;
    const int last = parts.last().toInt(&ok, 10);
    return ok && last >= 0 && last < 16;
}

std::optional<QString> hotspotInterface(const QMap<QString, QString>& ipv4) {
    for (auto it = ipv4.cbegin(); it != ipv4.cend(); ++it) {
        if (isHotspotAddress(it.value()))
            return it.key();
    }
    return std::nullopt;
}
