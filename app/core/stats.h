#pragma once

#include "core/sample.h"

// Figures over a window of one host's samples. Lost pings count towards `loss` and `count` only.
struct Stats {
    std::optional<double> last; // the newest sample's time; absent when it was lost or there is none
    double min = 0;
    double avg = 0;
    double max = 0;
    double jitter = 0; // mean absolute difference of consecutive answered times
    double loss = 0;   // percent of samples without an answer
    int count = 0;

    Stats() = default;
    explicit Stats(const Samples& samples);
    // The samples at or after `cutoff`.
    Stats(const Samples& samples, Timestamp cutoff);
};
