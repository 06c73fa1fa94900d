#include "views/sparkline.h"

#include "views/style.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr qsizetype shown = 30;

} // namespace

Sparkline::Sparkline(QWidget* parent)
    : QWidget(parent) {}

void Sparkline::setSamples(const Samples& samples) {
    samples_ = samples.mid(std::max<qsizetype>(0, samples.size() - shown));
    update();
}

QPainterPath Sparkline::path(const Samples& samples, const QSizeF& size) {
    const Samples last = samples.mid(std::max<qsizetype>(0, samples.size() - shown));
    const qsizetype n = last.size();
    double top = 1.0;
    for (const Sample& s : last) {
        if (s.ms)
            top = std::max(top, *s.ms);
    }
    const double d = n < 2 ? 1.0 : double(n - 1);
    auto point = [&](qsizetype i) {
        return QPointF(double(i) * size.width() / d, (1 - *last[i].ms / top) * size.height());
    };
    QPainterPath path;
    for (qsizetype i = 0; i < n; ++i) {
        if (!last[i].ms)
            continue;
        if (i == 0 || !last[i - 1].ms)
            path.moveTo(point(i));
        else
            path.lineTo(point(i));
    }
    return path;
}

void Sparkline::paint(QPainter& p, const QRectF& r, const Samples& samples, const QPalette& palette) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colors::accent(palette), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // Half the pen's width inside every edge, so peaks, zeros and the round caps at both ends are not cut.
    const QRectF inner = r.adjusted(0.75, 0.75, -0.75, -0.75);
    p.translate(inner.topLeft());
    p.drawPath(path(samples, inner.size()));
    p.restore();
}

void Sparkline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, rect(), samples_, palette());
}
