#pragma once

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
    // Why the command line was not understood; empty when it was.
    QString error;
};

// Reads the arguments after the program name. Single-dash arguments belong to Qt and are left alone.
Options parseOptions(const QStringList& args);

extern const char* const usage;
