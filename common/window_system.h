#pragma once

#include <Qt>

// The window system a program's windows go through.
namespace windowSystem {

// Under a Wayland session that has Xwayland, windows go through X11 unless the user chose a platform: only
// there can a program place its own windows, keep them above others and on every workspace. Call before the
// application object exists.
void choose();

// Whether the program can place its windows and so should remember where they stood (not on Wayland, where
// the compositor places them).
bool placesWindows();

// Whether the X server is Xwayland: its grabs reach only X clients, so a popup sees neither the clicks nor
// the keys meant for the rest of the desktop, and windows must take the focus the window manager gives.
bool overXwayland();

// Whether the window manager moves windows itself when the program moves them (sway): only its own move,
// started from a press, takes a window elsewhere.
bool managerMovesWindows();

// Flags for a borderless window that stays above all others. Not a tool window: KWin hides an application's tool
// windows while another application has the focus.
constexpr Qt::WindowFlags floatingFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

} // namespace windowSystem
