#include "views/tab_button.h"

#include "views/style.h"
#include "views/symbols.h"

#include <QPainter>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int padX = 8;
constexpr int padY = 5;
constexpr int gap = 4;

} // namespace

TabButton::TabButton(const QString& id, const QString& label, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent)
    , id_(id)
    , symbol_(symbol) {
    setText(label);
    // Unhinted, as the labels: a tab measured here fits its text on a denser screen too.
    QFont f = ::font(Text::Callout, QFont::Medium);
    f.setHintingPreference(QFont::PreferNoHinting);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TabButton::setSelected(bool on) {
    if (on == selected_)
        return;
    selected_ = on;
    update();
}

int TabButton::symbolSize() const {
    return symbol_.isEmpty() ? 0 : fontMetrics().height();
}

int TabButton::symbolSpace() const {
    return symbol_.isEmpty() ? 0 : symbolSize() + gap;
}

QSize TabButton::sizeHint() const {
    const QFontMetricsF fm(font());
    return {symbolSpace() + int(std::ceil(fm.horizontalAdvance(text()))) + 2 * padX, fontMetrics().height() + 2 * padY};
}

QSize TabButton::minimumSizeHint() const {
    const QFontMetricsF fm(font());
    return {symbolSpace() + int(std::ceil(fm.horizontalAdvance(u"…"_s))) + 2 * padX, sizeHint().height()};
}

void TabButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    setToolTip(width() < sizeHint().width() ? text() : QString());
}

void TabButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor fill = Qt::transparent;
    if (selected_)
        fill = colors::accent(pal);
    else if (underMouse() || isDown())
        fill = colors::tertiary(pal), fill.setAlphaF(isDown() ? 0.16f : 0.08f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), 8, 8);
    const QColor text = selected_ ? QColor(Qt::white) : pal.color(QPalette::WindowText);
    QRect r = rect().adjusted(padX, 0, -padX, 0);
    if (!symbol_.isEmpty()) {
        const int s = symbolSize();
        p.drawPixmap(QPoint(r.left(), (height() - s) / 2),
                     symbolPixmap(symbol_, s, text, p.device()->devicePixelRatioF()));
        r.setLeft(r.left() + s + gap);
    }
    p.setPen(text);
    const QString shown = QFontMetricsF(font()).elidedText(this->text(), Qt::ElideRight, r.width());
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}
