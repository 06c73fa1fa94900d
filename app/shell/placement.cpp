#include "shell/placement.h"

#include <algorithm>

namespace placement {

QRect keepOnScreen(const QRect& frame, const QList<QRect>& screens, const std::optional<QRect>& main) {
    const auto hit =
        std::find_if(screens.cbegin(), screens.cend(), [&](const QRect& s) { return s.intersects(frame); });
    const QRect vf = hit != screens.cend() ? *hit : main.value_or(QRect(0, 0, 0, 0));
    const int h = std::min(frame.height(), vf.height());
    // The bottom edge stays put while it can, as the shortened frame keeps its lower part on screen.
    const int vfBottom = vf.y() + vf.height();
    const int bottom = std::min(vfBottom, std::max(frame.y() + frame.height(), vf.y() + h));
    const int x = std::max(vf.x(), std::min(frame.x(), vf.x() + vf.width() - frame.width()));
    return {x, bottom - h, frame.width(), h};
}

QPoint miniOrigin(const QRect& screen, QSize size) {
    return {screen.x() + screen.width() - 280, screen.y() + 260 - size.height()};
}

QPoint pinnedOrigin(const QRect& screen, QSize size) {
    return {screen.x() + screen.width() - 380, screen.y() + 700 - size.height()};
}

QPoint miniResetOrigin(const QRect& screen) {
    return {screen.x() + screen.width() - 280, screen.y() + 20};
}

QPoint pinnedResetOrigin(const QRect& screen) {
    return {screen.x() + screen.width() - 380, screen.y() + 20};
}

QPoint popoverOrigin(const QRect& anchor, QSize size, const QRect& screen) {
    const bool below = anchor.y() + anchor.height() / 2 < screen.y() + screen.height() / 2;
    int y = below ? anchor.y() + anchor.height() + 4 : anchor.y() - size.height() - 4;
    int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    x = std::max(screen.x(), std::min(x, screen.x() + screen.width() - size.width()));
    y = std::max(screen.y(), std::min(y, screen.y() + screen.height() - size.height()));
    return {x, y};
}

} // namespace placement
