#pragma once

#include <QJsonValue>
#include <optional>

// Byte counts in JSON: exact non-negative integers. A fraction, a negative number or a figure a double
// cannot hold exactly is not a count.
std::optional<quint64> countFromJson(const QJsonValue& v);

// JSON integers end at the signed 64-bit range; larger counts are written as its largest value.
qint64 countToJson(quint64 bytes);
