#include "platform/platform.h"

using namespace Qt::StringLiterals;

namespace platform {

QString systemName() {
    return u"Linux"_s;
}

} // namespace platform
