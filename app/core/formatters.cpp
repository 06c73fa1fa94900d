#include "core/formatters.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString rate(double b) {
    // The thresholds sit where rounding would otherwise print "1000 KB/s" or "100.0 MB/s".
    if (b >= 99'950'000)
        return QString::number(std::round(b / 1'000'000), 'f', 0) + u" MB/s"_s;
    if (b >= 999'500)
        return QString::number(std::round(b / 100'000) / 10, 'f', 1) + u" MB/s"_s;
    return QString::number(std::round(b / 1000), 'f', 0) + u" KB/s"_s;
}

QString ms(std::optional<double> v) {
    if (!v)
        return u"x"_s;
    return QString::number(std::round(*v), 'f', 0) + u" ms"_s;
}

QString duration(Seconds span) {
    const auto s = std::max<long long>(std::llround(span.count()), 0);
    if (s < 60)
        return QString::number(s) + u" s"_s;
    if (s < 3600)
        return QString::number(s / 60) + u" min "_s + QString::number(s % 60) + u" s"_s;
    return QString::number(s / 3600) + u" h "_s + QString::number(s % 3600 / 60) + u" min"_s;
}
