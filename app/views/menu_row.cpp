#include "views/menu_row.h"

#include "views/style.h"

#include <QPainter>

namespace {

constexpr int padY = 4;

} // namespace

MenuRow::MenuRow(const QString& title, const QString& hint, QWidget* parent)
    : QAbstractButton(parent)
    , hint_(hint) {
    setText(title);
    setFont(::font(Text::Body));
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize MenuRow::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    return {fm.horizontalAdvance(text() + hint_) + 16, fm.height() + 2 * padY};
}

void MenuRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect r = rect();
    // The title takes the accent while the pointer is on it: the row's only hover cue, as the rows sit
    // flush with the column's edge.
    p.setPen(underMouse() || isDown() ? colors::accent(pal) : pal.color(QPalette::WindowText));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    p.setPen(colors::secondary(pal));
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, hint_);
}
