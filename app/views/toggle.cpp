#include "views/toggle.h"

#include "views/style.h"

#include <QPainter>

Toggle::Toggle(QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Toggle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF track =
        QRectF(QPointF(0, 0), QSizeF(sizeHint())).translated(0, (height() - sizeHint().height()) / 2.0);
    const qreal r = track.height() / 2;
    QColor off = pal.color(QPalette::WindowText);
    off.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? colors::accent(pal) : off);
    p.drawRoundedRect(track, r, r);
    const qreal d = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - d : track.left() + 2;
    QColor shadow = Qt::black;
    shadow.setAlphaF(0.18f);
    p.setBrush(shadow);
    p.drawEllipse(QRectF(x, track.top() + 2.5, d, d));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 2, d, d));
}
