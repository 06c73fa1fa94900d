#pragma once

#include "platform/platform.h"

#include <QList>

namespace platform {

// Every IPv4 and IPv6 address of the interfaces in the system's order, loopback and link-local (fe80)
// addresses aside; empty when the list cannot be read.
QList<Address> readAddresses();

} // namespace platform
