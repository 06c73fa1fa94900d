#pragma once

class QWindow;

// Keeps a window on the desktop where the windowing system allows it (X11): on every workspace and out of
// the taskbar and pager. Window managers drop these states whenever a window is hidden, so call it on every
// showing; it works before and after the window is mapped. Elsewhere does nothing.
void pinToDesktop(QWindow& window);

// Gives the window the focus on behalf of the user's click on the tray icon, which the window manager did not
// see. Elsewhere asks as any window does.
void activateFromTray(QWindow& window);
