#include "core/clock.h"

namespace {
class SystemClock final : public Clock {
public:
    Timestamp now() const override { return std::chrono::system_clock::now(); }
};
} // namespace

const Clock& Clock::system() {
    static const SystemClock clock;
    return clock;
}
