#pragma once

#include "common/command_line.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks for.
struct Options {
    enum class Mode { Start, SnapshotTest, Unregister, Watch, Details, History, Help, Version };

    Mode mode = Mode::Start;
    // Hosts for this run only.
    std::optional<QStringList> hosts;
    // Hosts of --hosts left out because the ping tool would misread them.
    QStringList refusedHosts;
    // Where the figures for a monitoring system go, for this run.
    std::optional<QString> metrics;
    // What --history covers and how it prints.
    int hours = 24;
    bool csv = false;
    // Why the command line was refused; empty when it was understood.
    QString error;
};

// Reads the arguments after the program name.
Options parseOptions(const QStringList& arguments);

// The switches, files and exit codes --help describes.
const Help& help();
