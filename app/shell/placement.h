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

// The popover's top-left corner, inside the screen's usable area `area`. Beside the anchor (the icon, or the
// point clicked on it) on the side of the panel that holds it: flush with the usable area when the anchor
// lies in the panel the screen reserves, else just past the anchor towards the screen's middle. Without an
// anchor, in the corner by the reserved panel's end, else in the top-right corner.
QPoint popoverOrigin(const std::optional<QRect>& anchor, QSize size, const QRect& screen, const QRect& area);

} // namespace placement
