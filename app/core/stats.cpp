#include "core/stats.h"

#include <algorithm>
#include <cmath>

Stats::Stats(const Samples& samples)
    : Stats(samples, Timestamp::min()) {}

Stats::Stats(const Samples& samples, Timestamp cutoff) {
    int answered = 0;
    double sum = 0;
    double jitterSum = 0;
    std::optional<double> previous;
    for (const Sample& s : samples) {
        if (s.time < cutoff)
            continue;
        ++count;
        last = s.ms;
        if (!s.ms)
            continue;
        const double v = *s.ms;
        if (answered == 0) {
            min = max = v;
        } else {
            min = std::min(min, v);
            max = std::max(max, v);
        }
        if (previous)
            jitterSum += std::abs(v - *previous);
        previous = v;
        sum += v;
        ++answered;
    }
    if (count > 0)
        loss = double(count - answered) / count * 100;
    if (answered > 0)
        avg = sum / answered;
    if (answered > 1)
        jitter = jitterSum / (answered - 1);
}
