#include "core/usage_state.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

std::optional<quint64> count(const QJsonValue& v) {
    // Only exact non-negative integers; a fraction or a figure beyond 64 bits is not a byte count.
    const QVariant n = v.toVariant();
    if (n.typeId() != QMetaType::LongLong || n.toLongLong() < 0)
        return std::nullopt;
    return quint64(n.toLongLong());
}

qint64 jsonCount(quint64 bytes) {
    return qint64(std::min<quint64>(bytes, std::numeric_limits<qint64>::max()));
}

} // namespace

QByteArray UsageState::encode() const {
    const QJsonObject o{{u"day"_s, day},
                        {u"dayBytes"_s, jsonCount(dayBytes)},
                        {u"month"_s, month},
                        {u"monthBytes"_s, jsonCount(monthBytes)},
                        {u"warned"_s, warned}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<UsageState> UsageState::decode(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue day = o.value(u"day"_s), month = o.value(u"month"_s), warned = o.value(u"warned"_s);
    const auto dayBytes = count(o.value(u"dayBytes"_s)), monthBytes = count(o.value(u"monthBytes"_s));
    if (!day.isString() || !month.isString() || !warned.isString() || !dayBytes || !monthBytes)
        return std::nullopt;
    return UsageState{day.toString(), *dayBytes, month.toString(), *monthBytes, warned.toString()};
}
