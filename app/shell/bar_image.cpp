#include "shell/bar_image.h"

#include "core/formatters.h"
#include "details/tailnet.h"
#include "views/style.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QFont barFont(int px, QFont::Weight weight) {
    QFont f;
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

// Text with a thin rim of the opposite lightness, legible on a dark tray and on a light one.
void haloText(QPainter& p, QPointF at, const QString& text, const QFont& font, const QColor& color) {
    QPainterPath path;
    path.addText(at, font, text);
    QColor rim = color.lightness() > 128 ? QColor(0, 0, 0) : QColor(255, 255, 255);
    rim.setAlphaF(0.4f);
    p.strokePath(path, QPen(rim, std::max(1.2, font.pixelSize() * 0.1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(path, color);
}

QImage canvas(QSizeF size, qreal dpr) {
    QImage image((size * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

BarMarks barMarks(const std::optional<Tailnet>& tailnet, bool hotspot) {
    return {tailnet && tailnet->state == u"Running"_s && tailnet->exitName.has_value(), hotspot};
}

Latency latency(std::optional<double> ms) {
    if (!ms)
        return {u"x"_s, true};
    const double n = std::min(std::round(*ms), 999.0);
    return {QString::number(n, 'f', 0) + u"ms"_s, *ms > 200.0};
}

BarImage::BarImage(std::optional<QImage> phone)
    : small_(barFont(9, QFont::Medium))
    , big_(barFont(13, QFont::Normal))
    , colW_(std::ceil(QFontMetricsF(small_).horizontalAdvance(u"↑ 99.9 MB/s"_s)) - 2.0)
    , pingW_(std::ceil(QFontMetricsF(big_).horizontalAdvance(u"999ms"_s)))
    , phone_(std::move(phone)) {}

QSizeF BarImage::barSize() const {
    return {colW_ + 4.0 + phoneW + dotW + pingW_, height};
}

QImage BarImage::tinted(QSizeF size, qreal dpr, const QColor& color) const {
    QImage glyph = canvas(size, dpr);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(QPointF(0, 0), size), *phone_);
    // Source-atop keeps the glyph's shape and clear parts and takes only the colour.
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(QRectF(QPointF(0, 0), size), color);
    return glyph;
}

QImage BarImage::barImage(double down, double up, std::optional<double> ms, BarMarks marks, qreal dpr,
                          const QPalette& palette) const {
    const Latency l = latency(ms);
    const QSizeF size = barSize();
    const qreal H = size.height();
    const qreal W = size.width();
    const QColor label = palette.color(QPalette::WindowText);
    QImage image = canvas(size, dpr);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // Line boxes stand on the given bottom edge, the upper one 11 above the lower.
    const QFontMetricsF sm(small_);
    const qreal lowBase = H - sm.descent();
    const qreal highBase = H - 11.0 - sm.descent();
    p.setFont(small_);
    p.setPen(label);
    p.drawText(QPointF(0, highBase), u"↑"_s);
    p.drawText(QPointF(0, lowBase), u"↓"_s);
    const QString u = rate(up);
    const QString d = rate(down);
    p.drawText(QPointF(colW_ - sm.horizontalAdvance(u), highBase), u);
    p.drawText(QPointF(colW_ - sm.horizontalAdvance(d), lowBase), d);

    // The latency's line box is centred and lowered by one.
    const QFontMetricsF bm(big_);
    const qreal bottom = (H - bm.ascent() - bm.descent()) * 0.5 - 1.0;
    p.setFont(big_);
    p.setPen(l.alarm ? colors::red : label);
    p.drawText(QPointF(W - bm.horizontalAdvance(l.text), H - bottom - bm.descent()), l.text);

    if (phone_ && marks.hotspot) {
        const QSizeF glyph(8.0, 12.0);
        p.drawImage(QRectF(QPointF(W - pingW_ - dotW - phoneW, (H - 12.0) * 0.5), glyph), tinted(glyph, dpr, label));
    }
    if (marks.exit) {
        p.setPen(Qt::NoPen);
        p.setBrush(colors::accent(palette));
        p.drawEllipse(QRectF(W - pingW_ - dotW + 0.5, H * 0.5 - 2.5, 5.0, 5.0));
    }
    return image;
}

QImage BarImage::trayImage(std::optional<double> ms, BarMarks marks, int side, const QPalette& palette) const {
    const Latency l = latency(ms);
    const qreal s = side;
    const QColor label = palette.color(QPalette::WindowText);
    const QColor color = l.alarm ? colors::red : label;
    QImage image = canvas(QSizeF(s, s), 1.0);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // The figure takes the size at which the widest one, 999, fills the icon, so it never jumps.
    QFont number = barFont(100, QFont::Bold);
    const qreal widest = QFontMetricsF(number).horizontalAdvance(u"999"_s);
    number.setPixelSize(std::max(6, int(std::floor(std::min(s * 0.62, s * 100.0 / widest)))));
    const QFontMetricsF nm(number);
    const QString figure = l.text.endsWith(u"ms"_s) ? l.text.chopped(2) : l.text;
    const qreal numberBase = s * 0.08 + nm.ascent();
    haloText(p, QPointF((s - nm.horizontalAdvance(figure)) * 0.5, numberBase), figure, number, color);

    // The lower band: the phone glyph at the left, the unit in the middle, the exit dot at the right.
    const qreal band = s - numberBase;
    if (ms) {
        QFont unit = barFont(std::max(5, int(std::round(s * 0.3))), QFont::Normal);
        const QFontMetricsF um(unit);
        haloText(p, QPointF((s - um.horizontalAdvance(u"ms"_s)) * 0.5, s - um.descent()), u"ms"_s, unit, color);
    }
    if (phone_ && marks.hotspot) {
        const qreal h = std::min(band, s * 0.36);
        const QSizeF glyph(h * 8.0 / 12.0, h);
        p.drawImage(QRectF(QPointF(0, s - h), glyph), tinted(glyph, 1.0, label));
    }
    if (marks.exit) {
        const qreal d = std::round(s * 0.24);
        p.setPen(Qt::NoPen);
        p.setBrush(colors::accent(palette));
        p.drawEllipse(QRectF(s - d, s - d - (band - d) * 0.5, d, d));
    }
    return image;
}
