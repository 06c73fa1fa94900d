#pragma once

#include <QString>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <vector>

// Timing figures shared by the benchmark programs.
namespace bench {

using Micro = std::chrono::duration<double, std::micro>;

struct Figures {
    double median, p99, max;
};

inline Figures figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 99 / 100], values.back()};
}

// Wall time of `runs` calls of `f`, in microseconds.
template <typename F> Figures time(int runs, F&& f) {
    std::vector<double> us;
    us.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        us.push_back(Micro(std::chrono::steady_clock::now() - start).count());
    }
    return figures(std::move(us));
}

inline void print(QTextStream& out, const QString& what, const Figures& f, const QString& unit = QStringLiteral("µs")) {
    out << what.leftJustified(56)
        << QStringLiteral("median %1 %4   p99 %2 %4   max %3 %4")
               .arg(f.median, 0, 'f', 2)
               .arg(f.p99, 0, 'f', 2)
               .arg(f.max, 0, 'f', 2)
               .arg(unit)
        << Qt::endl;
}

} // namespace bench
