#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// Small drawn symbols, so the widget looks the same without an icon theme.

// A filled circle with an arrow turning right: traffic leaves through an exit node.
void drawExitGlyph(QPainter& p, const QRectF& box, const QColor& fill);
// The outline of a phone.
void drawPhoneGlyph(QPainter& p, const QRectF& box, const QColor& color);
