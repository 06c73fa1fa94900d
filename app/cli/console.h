#pragma once

#include <QStringList>
#include <optional>

// Runs the monitor without windows and prints a readout line per refresh until the process is asked to
// end; then saves the hotspot totals. Returns the exit status.
int runConsole(int& argc, char** argv, const std::optional<QStringList>& hosts);
