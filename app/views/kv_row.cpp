#include "views/kv_row.h"

#include "views/style.h"
#include "views/symbols.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int symbolFrame = 16;
constexpr int symbolGap = 6;
constexpr int symbolSize = 13;
constexpr int valueGap = 10;
constexpr int menuTextWidth = 360;
// The label keeps at least this share of the row when a long value needs room, and up to the larger
// share for its longest word.
constexpr double labelShare = 0.3;
constexpr double wordShare = 0.4;

QFont labelFont() {
    return font(Text::Callout);
}

QFont valueFont() {
    return font(Text::Callout, QFont::DemiBold);
}

// Whole pixels, rounded up, so text laid out in that width never wraps or elides on a fraction.
int advance(const QFont& f, const QString& text) {
    return int(std::ceil(QFontMetricsF(f).horizontalAdvance(text)));
}

int longestWord(const QString& text) {
    int widest = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, advance(labelFont(), word));
    return widest;
}

// Line breaks and other control characters (a response body may hold any) drawn as spaces, ends trimmed.
QString oneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return line.trimmed();
}

// Breaks between words where it can and anywhere where it must; returns the number of lines.
int wrap(QTextLayout& layout, int width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const int step = QFontMetrics(layout.font()).height();
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, lines * step));
        ++lines;
    }
    layout.endLayout();
    return std::max(1, lines);
}

} // namespace

KVRow::KVRow(QWidget* parent)
    : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void KVRow::set(const QString& k, const QString& v, const std::optional<QString>& symbol,
                const std::optional<QString>& copy) {
    const QString c = copy.value_or(v);
    if (k == k_ && v == v_ && symbol == symbol_ && c == copy_)
        return;
    k_ = k;
    v_ = v;
    symbol_ = symbol;
    copy_ = c;
    updateGeometry();
    update();
}

KVRow::Geometry KVRow::geometry(int width) const {
    const int x = symbol_ ? symbolFrame + symbolGap : 0;
    const int room = std::max(0, width - x);
    const int kw = advance(labelFont(), k_);
    const int vw = advance(valueFont(), oneLine(v_));
    // The label gets all the room the value leaves.
    if (kw + valueGap + vw <= room)
        return {x, room - valueGap - vw, vw};
    // A long value yields to the label's longest word, within bounds, so names break between words.
    const int word = std::min(longestWord(k_), int(room * wordShare));
    const int keep = std::min(kw, std::max(int(room * labelShare), word));
    const int valueW = std::max(0, std::min(vw, room - valueGap - keep));
    return {x, std::max(0, room - valueGap - valueW), valueW};
}

QString KVRow::shownValue() const {
    const int room = geometry(width()).valueW;
    const QString line = oneLine(v_);
    return advance(valueFont(), line) <= room ? line
                                              : QFontMetrics(valueFont()).elidedText(line, Qt::ElideMiddle, room);
}

QSize KVRow::sizeHint() const {
    const int x = symbol_ ? symbolFrame + symbolGap : 0;
    const int w = x + advance(labelFont(), k_) + valueGap + advance(valueFont(), oneLine(v_));
    return {w, QFontMetrics(labelFont()).height()};
}

QSize KVRow::minimumSizeHint() const {
    return {symbolFrame * 4, QFontMetrics(labelFont()).height()};
}

int KVRow::heightForWidth(int width) const {
    QTextLayout layout(k_, labelFont());
    return wrap(layout, geometry(width).labelW) * QFontMetrics(labelFont()).height();
}

void KVRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Geometry g = geometry(width());
    const QFontMetrics fm(labelFont());

    if (symbol_) {
        const QPointF at((symbolFrame - symbolSize) / 2.0, (fm.height() - symbolSize) / 2.0);
        p.drawPixmap(at, symbolPixmap(*symbol_, symbolSize, colors::secondary(palette()), devicePixelRatioF()));
    }

    QTextLayout label(k_, labelFont());
    wrap(label, g.labelW);
    p.setPen(colors::secondary(palette()));
    label.draw(&p, QPointF(g.labelX, 0));

    p.setFont(valueFont());
    p.setPen(palette().color(QPalette::WindowText));
    const QString shown = shownValue();
    p.drawText(QPointF(width() - QFontMetricsF(valueFont()).horizontalAdvance(shown), fm.ascent()), shown);
}

void KVRow::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString value = copy_;
    // A body of any length may land here; the menu shows its ends, the clipboard gets all of it.
    QString shown = menu->fontMetrics().elidedText(oneLine(value), Qt::ElideMiddle, menuTextWidth);
    menu->addAction(u"Kopiuj "_s + shown.replace(u'&', u"&&"_s),
                    [value] { QApplication::clipboard()->setText(value); });
    menu->popup(event->globalPos());
}
