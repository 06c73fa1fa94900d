#pragma once

#include <QString>

// Text that can go to a terminal as part of one line and only shows: control characters (escape sequences,
// line ends, tabs), format characters (bidirectional overrides, zero-width marks), line and paragraph
// separators and lone surrogates are replaced by their escapes, such as \x1b or \u202e.
QString printable(QStringView text);
