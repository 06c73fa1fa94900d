#pragma once

#include "core/monitor.h"

// Runs the tray program until it is told to end; `monitor` carries what this run is given. Returns the exit
// status.
int startApp(int& argc, char** argv, Monitor::Deps monitor);
