#pragma once

#include <QPoint>

class QWindow;

// Sway centres every X11 window it floats and ignores where the program puts it; over its IPC socket the
// program can still say where a window goes and that it shows on every workspace.
namespace sway {

// Whether the session's compositor is sway.
bool running();

// Puts the window's top-left corner at `topLeft` and on every workspace once sway shows it, and again each
// time it shows.
void place(QWindow& window, QPoint topLeft);

} // namespace sway
