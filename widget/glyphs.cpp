#include "widget/glyphs.h"

#include <QPainter>
#include <QPainterPath>

void drawExitGlyph(QPainter& p, const QRectF& box, const QColor& fill) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(box);

    // The arrow in a 12-unit square: up from the bottom, then right to the head.
    p.translate(box.topLeft());
    p.scale(box.width() / 12, box.height() / 12);
    QPainterPath stem;
    stem.moveTo(4.2, 9.3);
    stem.lineTo(4.2, 6.4);
    stem.quadTo(4.2, 5.0, 5.6, 5.0);
    stem.lineTo(7.4, 5.0);
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    QPainterPath head;
    head.moveTo(7.0, 2.9);
    head.lineTo(9.4, 5.0);
    head.lineTo(7.0, 7.1);
    head.closeSubpath();
    p.setPen(QPen(Qt::white, 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(head);
    p.restore();
}

void drawPhoneGlyph(QPainter& p, const QRectF& box, const QColor& color) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = box.height() * 0.58;
    const QRectF body(box.center().x() - w / 2, box.top() + 0.6, w, box.height() - 1.2);
    p.setPen(QPen(color, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, w * 0.28, w * 0.28);
    // The speaker slot at the top.
    p.setPen(QPen(color, 1.0, Qt::SolidLine, Qt::RoundCap));
    const qreal y = body.top() + body.height() * 0.16;
    p.drawLine(QPointF(body.center().x() - w * 0.16, y), QPointF(body.center().x() + w * 0.16, y));
    p.restore();
}
