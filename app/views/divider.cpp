#include "views/divider.h"

#include <QPainter>

Divider::Divider(double opacity, QWidget* parent)
    : QWidget(parent)
    , opacity_(opacity) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor c = palette().color(QPalette::WindowText);
    c.setAlphaF(float(0.15 * opacity_));
    p.fillRect(rect(), c);
}
