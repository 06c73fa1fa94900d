#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks for.
struct Options {
    enum class Mode { Start, SnapshotTest, Unregister, Watch, Details, Help, Version };

    Mode mode = Mode::Start;
    // Hosts for this run only.
    std::optional<QStringList> hosts;
    // Set when a switch of ours is malformed.
    QString error;
};

// Reads the arguments after the program name. Unknown arguments belong to the toolkit and are ignored.
Options parseOptions(const QStringList& arguments);

// The text of --help.
QString usage();
