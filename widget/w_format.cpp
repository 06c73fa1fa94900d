#include "widget/w_format.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Rounded half away from zero, never "-0".
QString whole(double v) {
    const double r = std::round(v);
    return QString::number(r == 0 ? 0.0 : r, 'f', 0);
}

} // namespace

QString wRate(double bytesPerSecond) {
    if (bytesPerSecond >= 1'000'000)
        return QString::asprintf("%.1f MB/s", bytesPerSecond / 1'000'000);
    return whole(bytesPerSecond / 1000) + u" KB/s"_s;
}

QString wMs(std::optional<double> ms) {
    return ms ? whole(*ms) : u"x"_s;
}
