#include "shell/bar_image.h"

#include "common/ping_alarm.h"
#include "core/formatters.h"
#include "details/tailnet.h"
#include "views/style.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The tray icon's ground: near black, and a deeper red than the alarm text colour so that white on it
// keeps its contrast.
const QColor chip{0x1C, 0x1C, 0x1E};
const QColor alarmChip{0xD7, 0x00, 0x15};

QFont barFont(int px, QFont::Weight weight) {
    QFont f;
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
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
    return {QString::number(n, 'f', 0) + u"ms"_s, pingAlarm(ms)};
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

QImage BarImage::trayImage(std::optional<double> ms, BarMarks marks, int side) const {
    const Latency l = latency(ms);
    const qreal s = side;
    QImage image = canvas(QSizeF(s, s), 1.0);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // A chip of its own keeps the figure legible on light, dark and coloured panels alike; an alarm turns
    // the whole chip red, which still reads at 16 px where a red figure would blur.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
    p.setBrush(l.alarm ? alarmChip : chip);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1.0, s - 1.0), s * 0.22, s * 0.22);

    // The marks take a band at the bottom; the figure is centred in what is left, squeezed to fit.
    const bool marked = marks.exit || marks.hotspot;
    const qreal band = marked ? std::round(s * 0.3) : 0.0;
    QFont font = barFont(std::max(6, int((s - band) * 0.62 / 0.73)), QFont::Bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetricsF fm(font);
    const QString figure = l.text.endsWith(u"ms"_s) ? l.text.chopped(2) : l.text;
    const qreal width = fm.horizontalAdvance(figure);
    const qreal squeeze = std::min(1.0, (s - 3.0) / width);
    const qreal capTop = (s - band - fm.capHeight()) * 0.5;
    p.save();
    p.translate(s * 0.5, capTop + fm.capHeight());
    p.scale(squeeze, 1.0);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QPointF(-width * 0.5, 0), figure);
    p.restore();

    p.setPen(Qt::NoPen);
    if (marks.hotspot) {
        const qreal h = std::max(5.0, std::round(s * 0.3));
        const qreal w = std::max(3.0, std::round(h * 0.6));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(2.0, s - 2.0 - h, w, h), 1.0, 1.0);
    }
    if (marks.exit) {
        const qreal d = std::max(3.0, std::round(s * 0.22));
        p.setBrush(colors::accent(QGuiApplication::palette()));
        p.drawEllipse(QRectF(s - 2.0 - d, s - 2.0 - d, d, d));
    }
    return image;
}
