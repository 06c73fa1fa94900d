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

QPoint popoverOrigin(const std::optional<QRect>& anchor, QSize size, const QRect& screen, const QRect& area) {
    enum class Side { Top, Bottom, Left, Right };
    const int w = size.width();
    const int h = size.height();
    const int areaRight = area.x() + area.width();
    const int areaBottom = area.y() + area.height();
    const auto clampX = [&](int x) { return std::clamp(x, area.x(), std::max(area.x(), areaRight - w)); };
    const auto clampY = [&](int y) { return std::clamp(y, area.y(), std::max(area.y(), areaBottom - h)); };

    if (!anchor) {
        if (areaBottom < screen.y() + screen.height() && area.y() == screen.y())
            return {areaRight - w, areaBottom - h};
        if (area.x() > screen.x())
            return {area.x(), area.y()};
        return {areaRight - w, area.y()};
    }
    const QPoint c = anchor->center();
    // In the reserved panel the side is plain; otherwise the screen edge nearest the anchor holds it.
    bool inPanel = true;
    Side side = Side::Top;
    if (c.y() < area.y()) {
        side = Side::Top;
    } else if (c.y() >= areaBottom) {
        side = Side::Bottom;
    } else if (c.x() < area.x()) {
        side = Side::Left;
    } else if (c.x() >= areaRight) {
        side = Side::Right;
    } else {
        inPanel = false;
        // Panels run along the top or bottom far more often than along a side: a side wins only when the
        // anchor is much nearer to it.
        const int toTop = c.y() - screen.y();
        const int toBottom = screen.y() + screen.height() - c.y();
        const int toLeft = c.x() - screen.x();
        const int toRight = screen.x() + screen.width() - c.x();
        const int vertical = std::min(toTop, toBottom);
        if (2 * std::min(toLeft, toRight) < vertical)
            side = toLeft <= toRight ? Side::Left : Side::Right;
        else
            side = toTop <= toBottom ? Side::Top : Side::Bottom;
    }
    // A point clicked on an icon of unknown size: the icon is taken to be centred in the panel, whose far edge
    // then lies as far from the point as the screen's edge does.
    const bool point = anchor->width() <= 1 && anchor->height() <= 1;
    const int aRight = point ? 2 * c.x() - screen.x() : anchor->x() + anchor->width();
    const int aBottom = point ? 2 * c.y() - screen.y() : anchor->y() + anchor->height();
    const int aLeft = point ? 2 * c.x() - (screen.x() + screen.width()) : anchor->x();
    const int aTop = point ? 2 * c.y() - (screen.y() + screen.height()) : anchor->y();
    switch (side) {
    case Side::Top:
        return {clampX(c.x() - w / 2), clampY(inPanel ? area.y() : aBottom)};
    case Side::Bottom:
        return {clampX(c.x() - w / 2), clampY(inPanel ? areaBottom - h : aTop - h)};
    case Side::Left:
        return {clampX(inPanel ? area.x() : aRight), clampY(c.y() - h / 2)};
    case Side::Right:
        return {clampX(inPanel ? areaRight - w : aLeft - w), clampY(c.y() - h / 2)};
    }
    return {};
}

} // namespace placement
