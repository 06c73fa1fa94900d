#include "common/texts.h"

#include <QLocale>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

quint64 power10(int n) {
    quint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

QString byteCount(quint64 bytes) {
    static constexpr std::array units{"B", "kB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000)
        return QString::number(bytes) + u" B"_s;
    // Rounded before the unit is chosen, so 999 999 bytes read "1.0 MB", not "1000 kB". Kilobytes are shown
    // whole, megabytes with one decimal, larger units with two; in whole numbers, so nothing is lost to
    // floating point at the edges.
    for (std::size_t unit = 1;; ++unit) {
        const int decimals = unit == 1 ? 0 : unit == 2 ? 1 : 2;
        const quint64 whole = power10(decimals);
        const quint64 step = power10(int(3 * unit) - decimals);
        const quint64 shown = bytes / step + ((bytes % step) * 2 >= step ? 1 : 0);
        if (shown >= 1000 * whole && unit + 1 < units.size())
            continue;
        QString text = QString::number(shown / whole);
        if (decimals)
            text += QLocale().decimalPoint() + QString::number(shown % whole).rightJustified(decimals, u'0');
        return text + u' ' + QLatin1StringView(units[unit]);
    }
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
