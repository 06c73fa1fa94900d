#include "views/label.h"

#include "views/symbols.h"

#include <QPainter>
#include <cmath>

QColor toneColor(Label::Tone tone, const QPalette& p) {
    switch (tone) {
    case Label::Tone::Secondary:
        return colors::secondary(p);
    case Label::Tone::Accent:
        return colors::accent(p);
    case Label::Tone::White:
        return Qt::white;
    case Label::Tone::Primary:
        break;
    }
    return p.color(QPalette::WindowText);
}

Label::Label(Text style, QFont::Weight weight, Tone tone, QWidget* parent)
    : QWidget(parent)
    , tone_(tone) {
    // Unhinted glyphs advance alike at every pixel ratio, so a text measured here fits when drawn on a
    // denser screen or image.
    QFont f = ::font(style, weight);
    f.setHintingPreference(QFont::PreferNoHinting);
    setFont(f);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void Label::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    updateGeometry();
    update();
}

void Label::setTail(const QString& tail) {
    if (tail == tail_)
        return;
    tail_ = tail;
    updateGeometry();
    update();
}

void Label::setTone(Tone tone) {
    if (tone == tone_)
        return;
    tone_ = tone;
    update();
}

void Label::setColor(std::optional<QColor> color) {
    if (color == color_)
        return;
    color_ = color;
    update();
}

QColor Label::color() const {
    return color_ ? *color_ : toneColor(tone_, palette());
}

void Label::setSymbol(const QString& name) {
    if (name == symbol_)
        return;
    symbol_ = name;
    updateGeometry();
    update();
}

void Label::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

int Label::symbolSize() const {
    return qRound(fontMetrics().height() * 1.1);
}

int Label::symbolSpace() const {
    if (symbol_.isEmpty())
        return 0;
    return text_.isEmpty() ? symbolSize() : symbolSize() + fontMetrics().height() / 3;
}

QSize Label::sizeHint() const {
    const QFontMetricsF fm(font());
    return {symbolSpace() + int(std::ceil(fm.horizontalAdvance(text_ + tail_))) + 1,
            qMax(int(std::ceil(fm.height())), symbol_.isEmpty() ? 0 : symbolSize())};
}

QSize Label::minimumSizeHint() const {
    return {symbolSpace() + int(std::ceil(QFontMetricsF(font()).horizontalAdvance(tail_))), sizeHint().height()};
}

void Label::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor c = color();
    QRect r = rect();
    const QFontMetrics fm = fontMetrics();
    const int room = qMax(0, r.width() - symbolSpace() - fm.horizontalAdvance(tail_));
    const QString shown = fm.elidedText(text_, Qt::ElideRight, room) + tail_;
    if (!symbol_.isEmpty()) {
        const int s = symbolSize();
        const int used = symbolSpace() + fm.horizontalAdvance(shown);
        int x = r.left();
        if (alignment_ & Qt::AlignRight)
            x = r.right() + 1 - used;
        else if (alignment_ & Qt::AlignHCenter)
            x = r.left() + (r.width() - used) / 2;
        p.drawPixmap(QPoint(x, r.top() + (r.height() - s) / 2),
                     symbolPixmap(symbol_, s, c, p.device()->devicePixelRatioF()));
        r.setLeft(x + symbolSpace());
        if (alignment_ & (Qt::AlignRight | Qt::AlignHCenter))
            r.setRight(r.left() + fm.horizontalAdvance(shown));
    }
    p.setPen(c);
    p.drawText(r, int(alignment_ | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}
