#pragma once

#include "common/timestamp.h"

// The next moment after `now` at which the age shown for a snapshot taken at `then` reads differently, so the
// widget redraws exactly then instead of on a fixed tick. Looks no further than a day ahead.
Timestamp nextAgeChange(Timestamp then, Timestamp now);
