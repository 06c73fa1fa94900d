#include "core/counters.h"

quint64 counterDelta(quint64 previous, quint64 current, int bits) {
    if (current >= previous)
        return current - previous;
    if (bits == 32)
        return (current - previous) & 0xFFFF'FFFFu;
    return 0;
}
