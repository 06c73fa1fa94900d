#pragma once

#include "common/timestamp.h"

#include <QList>
#include <optional>

// One ping: when its answer was stored and the round-trip time, absent when the host did not answer.
struct Sample {
    Timestamp time;
    std::optional<double> ms;
};

using Samples = QList<Sample>;
