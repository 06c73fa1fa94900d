#include "views/bars.h"

#include "core/globals.h"
#include "views/style.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr auto minute = std::chrono::minutes(1);

} // namespace

Bars::Bars(QWidget* parent)
    : QWidget(parent)
    , count_(slotCount()) {}

void Bars::setColumns(const Columns& columns, int count) {
    columns_ = columns;
    count_ = count;
    update();
}

int Bars::slotCount() {
    return int(historySeconds / tick);
}

int Bars::daySlotCount() {
    return 24 * 60;
}

Bars::Columns Bars::columns(const Samples& samples) {
    Columns out;
    out.reserve(samples.size());
    for (const Sample& s : samples)
        out.append({s.ms, std::nullopt, !s.ms});
    return out;
}

Bars::Columns Bars::columns(const QList<MinuteRow>& rows, Timestamp now) {
    Columns out(daySlotCount());
    const Timestamp first = minuteOf(now) - minute * daySlotCount();
    for (const MinuteRow& row : rows) {
        if (row.minute < first)
            continue;
        const auto i = qsizetype((row.minute - first) / minute);
        if (i >= out.size())
            continue;
        Column& c = out[i];
        c.lost = row.lost > 0;
        if (row.answered() > 0) {
            c.ms = row.avg;
            c.peak = row.max;
        }
    }
    return out;
}

double Bars::scale(const Columns& columns) {
    double top = 1.0;
    for (const Column& c : columns)
        top = std::max({top, c.ms.value_or(0.0), c.peak.value_or(0.0)});
    return top;
}

QString Bars::caption(const Columns& columns) {
    return u"max "_s + QString::number(std::llround(scale(columns))) + u" ms"_s;
}

void Bars::paint(QPainter& p, const QRectF& r, const Columns& columns, int count, const QPalette& palette) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double slot = r.width() / count;
    const double width = std::max(0.55 * slot, 1.0);
    const double whiskerWidth = std::max(width / 3, 1.0);
    const double top = scale(columns);
    const qsizetype n = columns.size();
    const QColor accent = colors::accent(palette);
    // Mixed with the background rather than translucent, so whiskers crowded into one pixel stay faint.
    const QColor window = palette.color(QPalette::Window);
    const QColor faint = QColor::fromRgbF(0.35f * accent.redF() + 0.65f * window.redF(),
                                          0.35f * accent.greenF() + 0.65f * window.greenF(),
                                          0.35f * accent.blueF() + 0.65f * window.blueF());
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    // Columns beyond the slot count would fall left of the chart; they are not drawn.
    const qsizetype from = std::max<qsizetype>(0, n - count);
    const auto left = [&](qsizetype i) { return r.right() - double(n - i) * slot + (slot - width) / 2; };
    const auto height = [&](double ms) { return std::max(ms / top * r.height(), 1.0); };
    // Whiskers first: where columns are narrower than a pixel, no whisker may cover a neighbour's bar.
    p.setBrush(faint);
    for (qsizetype i = from; i < n; ++i) {
        const Column& c = columns[i];
        if (c.lost || !c.ms || !c.peak || *c.peak <= *c.ms)
            continue;
        const double bottom = r.bottom() - height(*c.ms);
        const double reach = r.bottom() - height(*c.peak);
        p.drawRect(QRectF(left(i) + (width - whiskerWidth) / 2, reach, whiskerWidth, bottom - reach));
    }
    for (qsizetype i = from; i < n; ++i) {
        const Column& c = columns[i];
        if (!c.ms && !c.lost)
            continue;
        const double h = c.lost ? r.height() : height(*c.ms);
        const double radius = std::min(width, h) / 2;
        const QRectF bar(left(i), r.bottom() - h, width, h);
        p.setBrush(c.lost ? colors::red : accent);
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
    const QString text = caption(columns);
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
    paint(p, rect(), columns_, count_, palette());
}
