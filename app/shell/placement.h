#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <optional>

// Where the floating panels and the popover go, on rectangles in screen coordinates (y downwards), so the
// rules can be checked on any screen arrangement.
namespace placement {

// The frame moved, and shortened when taller than the screen, so that it lies on the first screen it
// overlaps, else on the main screen; its width is kept, and a panel wider than the screen keeps its left
// edge on the screen.
QRect keepOnScreen(const QRect& frame, const QList<QRect>& screens, const std::optional<QRect>& main);

// First-run top-left corners: the mini panel's bottom edge 260 below the screen's top, 280 from its right
// edge; the pinned panel's bottom edge 700 below the top, 380 from the right.
QPoint miniOrigin(const QRect& screen, QSize size);
QPoint pinnedOrigin(const QRect& screen, QSize size);
// Top-left corners after a reset: 20 below the screen's top.
QPoint miniResetOrigin(const QRect& screen);
QPoint pinnedResetOrigin(const QRect& screen);

// The popover's top-left corner: below the anchor (the tray icon, or the pointer when the tray tells
// nothing), above it when the anchor sits in the lower half, kept inside the screen.
QPoint popoverOrigin(const QRect& anchor, QSize size, const QRect& screen);

} // namespace placement
