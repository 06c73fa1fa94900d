#pragma once

#include <QtGlobal>

// Growth of a byte counter between two readings. A 32-bit counter that went down wrapped once; a wider one
// was reset, and what passed before the reset is unknown, so it adds nothing.
quint64 counterDelta(quint64 previous, quint64 current, int bits);
