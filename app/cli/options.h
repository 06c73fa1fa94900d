#pragma once

#include "common/command_line.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks for.
struct Options {
    enum class Mode { Start, SnapshotTest, Unregister, Watch, Details, Help, Version };

    Mode mode = Mode::Start;
    // Hosts for this run only.
    std::optional<QStringList> hosts;
    // Why the command line was refused; empty when it was understood.
    QString error;
};

// Reads the arguments after the program name.
Options parseOptions(const QStringList& arguments);

// The switches, files and exit codes --help describes.
const Help& help();
