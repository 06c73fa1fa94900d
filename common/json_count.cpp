#include "common/json_count.h"

#include <QVariant>
#include <cmath>
#include <limits>

std::optional<quint64> countFromJson(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    const QVariant n = v.toVariant();
    if (n.typeId() == QMetaType::LongLong) {
        const qint64 i = n.toLongLong();
        return i < 0 ? std::nullopt : std::optional(quint64(i));
    }
    const double d = v.toDouble();
    if (!(d >= 0) || d > 9007199254740992.0 || std::floor(d) != d)
        return std::nullopt;
    return quint64(d);
}

qint64 countToJson(quint64 bytes) {
    return qint64(std::min<quint64>(bytes, std::numeric_limits<qint64>::max()));
}
