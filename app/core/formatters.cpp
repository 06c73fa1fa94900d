#include "core/formatters.h"

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
