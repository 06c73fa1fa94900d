#include "common/texts.h"

#include <QLocale>
#include <cmath>

using namespace Qt::StringLiterals;

QString byteCount(quint64 bytes) {
    const QLocale locale = QLocale::system();
    if (bytes < 1000)
        return locale.toString(bytes) + u" B"_s;
    // Kilobytes are shown whole; larger units with one decimal, two from gigabytes on.
    const int decimals = bytes < 1000000 ? 0 : bytes < 1000000000 ? 1 : 2;
    return locale.formattedDataSize(qint64(std::min<quint64>(bytes, quint64(INT64_MAX))), decimals,
                                    QLocale::DataSizeSIFormat);
}

QString relativeAge(Timestamp then, Timestamp now) {
    const double s = std::max(0.0, between(then, now).count());
    if (s < 5)
        return u"teraz"_s;
    if (s < 60)
        return u"%1 s"_s.arg(std::floor(s));
    if (s < 3600)
        return u"%1 min"_s.arg(std::floor(s / 60));
    if (s < 86400)
        return u"%1 godz."_s.arg(std::floor(s / 3600));
    const auto days = qint64(s / 86400);
    return days == 1 ? u"1 dzień"_s : u"%1 dni"_s.arg(days);
}
