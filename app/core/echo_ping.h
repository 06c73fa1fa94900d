#pragma once

#include "core/ping.h"

#include <memory>

// Pings over the process's own echo sockets: a host given as an address is used as it is, a name is
// resolved anew on every call, off the event loop. Answers as `ping` does, unsafe hosts included.
Pinger echoPinger(std::shared_ptr<platform::Echo> echo);
