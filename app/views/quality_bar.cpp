#include "views/quality_bar.h"

#include "common/ping_alarm.h"

#include <QPainter>
#include <algorithm>

QColor trackColor(const QPalette& p) {
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(0.1f);
    return c;
}

QualityBar::QualityBar(QWidget* parent)
    : QWidget(parent) {
    setFixedHeight(10);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void QualityBar::setValue(std::optional<double> ms) {
    if (ms == value_)
        return;
    value_ = ms;
    update();
}

double QualityBar::fraction(std::optional<double> ms) {
    if (!ms)
        return 1.0;
    return std::max(0.04, 1.0 - std::min(*ms, 300.0) / 300.0);
}

void QualityBar::paint(QPainter& p, const QRectF& r, std::optional<double> ms, const QPalette& palette) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const qreal radius = r.height() / 2;
    p.setBrush(trackColor(palette));
    p.drawRoundedRect(r, radius, radius);
    QRectF fill = r;
    fill.setWidth(r.width() * fraction(ms));
    p.setBrush(pingColor(ms));
    const qreal fillRadius = std::min(radius, fill.width() / 2);
    p.drawRoundedRect(fill, fillRadius, fillRadius);
    p.restore();
}

void QualityBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, rect(), value_, palette());
}
