#include "views/glass.h"

#include <QPainter>

Glass::Glass(qreal radius, QWidget* parent)
    : QWidget(parent)
    , radius_(radius) {}

void Glass::paintEvent(QPaintEvent*) {
    QPainter out(this);
    const qreal dpr = out.device()->devicePixelRatioF();
    const QPalette& pal = palette();
    if (cache_.size() != size() * dpr || cache_.devicePixelRatio() != dpr || cachedPalette_ != pal)
        redraw(dpr);
    out.drawPixmap(0, 0, cache_);
}

void Glass::redraw(qreal dpr) {
    const QPalette& pal = palette();
    cache_ = QPixmap(size() * dpr);
    cache_.setDevicePixelRatio(dpr);
    cache_.fill(Qt::transparent);
    cachedPalette_ = pal;
    QPainter p(&cache_);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = pal.color(QPalette::Window);
    fill.setAlphaF(0.94f);
    QColor edge = pal.color(QPalette::WindowText);
    edge.setAlphaF(0.16f);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
}
