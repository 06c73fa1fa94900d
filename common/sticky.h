#pragma once

class QWindow;

// Keeps a window on the desktop where the windowing system allows it (X11): on every workspace and out of
// the taskbar and pager. Elsewhere does nothing. Call before the window is first shown.
void pinToDesktop(QWindow& window);
