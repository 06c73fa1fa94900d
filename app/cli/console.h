#pragma once

#include "core/monitor.h"

// Runs the monitor without windows and prints a readout line per refresh until the process is asked to
// end; then saves the hotspot totals. `deps` carries what this run is given. Returns the exit status.
int runConsole(int& argc, char** argv, Monitor::Deps deps);
