#include "views/bars.h"

#include "core/globals.h"
#include "views/style.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

Bars::Bars(QWidget* parent)
    : QWidget(parent) {}

void Bars::setSamples(const Samples& samples) {
    samples_ = samples;
    update();
}

int Bars::slotCount() {
    return int(historySeconds / tick);
}

double Bars::scale(const Samples& samples) {
    double top = 1.0;
    for (const Sample& s : samples) {
        if (s.ms)
            top = std::max(top, *s.ms);
    }
    return top;
}

QString Bars::caption(const Samples& samples) {
    return u"max "_s + QString::number(std::llround(scale(samples))) + u" ms"_s;
}

void Bars::paint(QPainter& p, const QRectF& r, const Samples& samples, const QPalette& palette) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double slot = r.width() / slotCount();
    const double width = std::max(0.55 * slot, 1.0);
    const double top = scale(samples);
    const qsizetype n = samples.size();
    const QColor accent = colors::accent(palette);
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    // Samples beyond the slot count would fall left of the chart; they are not drawn.
    for (qsizetype i = std::max<qsizetype>(0, n - slotCount()); i < n; ++i) {
        const Sample& s = samples[i];
        const double height = s.ms ? std::max(*s.ms / top * r.height(), 1.0) : r.height();
        const double x = r.right() - double(n - i) * slot + (slot - width) / 2;
        const double radius = std::min(width, height) / 2;
        const QRectF bar(x, r.bottom() - height, width, height);
        p.setBrush(s.ms ? accent : colors::red);
        // Rounding smaller than a device pixel cannot be seen, and plain rectangles draw far faster.
        if (radius * dpr < 1.0)
            p.drawRect(bar);
        else
            p.drawRoundedRect(bar, radius, radius);
    }
    // The scale sits on a veil of the background so it stays legible over tall bars. Measured with the font's
    // metrics: the painter's own bounding rectangle is empty while its pen is none.
    const QFont font = ::font(Text::Caption2);
    p.setFont(font);
    const QString text = caption(samples);
    const QFontMetricsF fm(font);
    const double textWidth = fm.horizontalAdvance(text);
    const QRectF box(r.right() - textWidth - 3, r.top(), textWidth + 3, fm.height());
    QColor veil = palette.color(QPalette::Window);
    veil.setAlphaF(0.8f);
    p.setBrush(veil);
    p.drawRoundedRect(box, 3, 3);
    p.setPen(colors::secondary(palette));
    p.drawText(r, Qt::AlignTop | Qt::AlignRight, text);
    p.restore();
}

void Bars::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, rect(), samples_, palette());
}
