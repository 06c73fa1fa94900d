#include "views/card.h"

#include "views/style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int titleGap = 6;
constexpr int rowGap = 4;
} // namespace

Card::Card(const QString& title, QWidget* parent)
    : QWidget(parent)
    , title_(new QLabel(title, this))
    , body_(new QVBoxLayout) {
    title_->setFont(::font(Text::Title3, QFont::Bold));
    body_->setSpacing(rowGap);
    body_->setContentsMargins(0, 0, 0, 0);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(titleGap);
    column->addWidget(title_);
    column->addLayout(body_);
}

QString Card::title() const {
    return title_->text();
}
