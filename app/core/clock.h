#pragma once

#include "common/timestamp.h"

// Source of the current time; tests substitute one they can move.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Timestamp now() const = 0;

    static const Clock& system();
};
