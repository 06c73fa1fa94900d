#pragma once

#include "common/snapshot.h"

#include <optional>

// One moment of the widget's timeline: when it was made and what the snapshot file held then.
struct Entry {
    Timestamp date;
    std::optional<Snapshot> snap;
};
