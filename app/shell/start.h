#pragma once

#include <QStringList>
#include <optional>

// Runs the tray program until it is told to end. Returns the exit status.
int startApp(int& argc, char** argv, const std::optional<QStringList>& hosts);
