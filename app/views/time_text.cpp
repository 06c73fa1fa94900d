#include "views/time_text.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QTime local(Timestamp t) {
    const auto msecs = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(msecs).time();
}

} // namespace

QString timeOfDay(Timestamp t) {
    // The long style is the only one with seconds in every locale; its time-zone part is dropped.
    static const QRegularExpression zone(u"\\s*t+\\s*"_s);
    const QString format = QLocale().timeFormat(QLocale::LongFormat).replace(zone, QString()).trimmed();
    return QLocale().toString(local(t), format);
}

QString shortTimeOfDay(Timestamp t) {
    // Some locales' short style still carries seconds (the C locale's is "HH:mm:ss"); they are dropped with
    // their separator.
    static const QRegularExpression seconds(u"[^Hhm]?s+"_s);
    const QString format = QLocale().timeFormat(QLocale::ShortFormat).remove(seconds).trimmed();
    return QLocale().toString(local(t), format);
}
