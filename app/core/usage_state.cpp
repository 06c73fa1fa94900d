#include "core/usage_state.h"

#include "common/json_count.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

QByteArray UsageState::encode() const {
    const QJsonObject o{{u"day"_s, day},
                        {u"dayBytes"_s, countToJson(dayBytes)},
                        {u"month"_s, month},
                        {u"monthBytes"_s, countToJson(monthBytes)},
                        {u"warned"_s, warned}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<UsageState> UsageState::decode(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue day = o.value(u"day"_s), month = o.value(u"month"_s), warned = o.value(u"warned"_s);
    const auto dayBytes = countFromJson(o.value(u"dayBytes"_s)), monthBytes = countFromJson(o.value(u"monthBytes"_s));
    if (!day.isString() || !month.isString() || !warned.isString() || !dayBytes || !monthBytes)
        return std::nullopt;
    return UsageState{day.toString(), *dayBytes, month.toString(), *monthBytes, warned.toString()};
}
