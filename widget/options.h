#pragma once

#include "common/command_line.h"
#include "widget/widget_view.h"

#include <QString>
#include <QStringList>

// What the command line asks the widget program to do.
struct Options {
    enum class Mode { Show, Render, Status, Help };
    Mode mode = Mode::Show;
    Family family = Family::Small;
    // The PNG to write when rendering.
    QString file;
    // Render the sample figures instead of the snapshot file.
    bool placeholder = false;
    // Rendering: device pixels per point, and the dark look instead of the desktop's.
    qreal scale = 1;
    bool dark = false;
    // Why the command line was refused; empty when it was understood.
    QString error;
};

// Reads the arguments after the program name.
Options parseOptions(const QStringList& args);

// The switches, files and exit codes --help describes.
const Help& help();
