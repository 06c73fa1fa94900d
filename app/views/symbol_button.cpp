#include "views/symbol_button.h"

#include "views/symbols.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString& symbol, int size, int padding, QWidget* parent)
    : QAbstractButton(parent)
    , symbol_(symbol)
    , size_(size)
    , padding_(padding) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::setSymbol(const QString& symbol) {
    symbol_ = symbol;
    update();
}

void SymbolButton::setTone(Label::Tone tone) {
    tone_ = tone;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor c = toneColor(tone_, palette());
    if (isDown())
        c.setAlphaF(c.alphaF() * 0.6f);
    const QPoint at((width() - size_) / 2, (height() - size_) / 2);
    p.drawPixmap(at, symbolPixmap(symbol_, size_, c, p.device()->devicePixelRatioF()));
}
