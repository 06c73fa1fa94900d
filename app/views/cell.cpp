#include "views/cell.h"

#include "views/label.h"

#include <QVBoxLayout>

Cell::Cell(const QString& label, QWidget* parent)
    : QWidget(parent)
    , label_(new Label(Text::Callout, QFont::Normal, Label::Tone::Secondary))
    , value_(new Label(Text::Title3, QFont::DemiBold)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    column->addWidget(label_);
    column->addWidget(value_);
    label_->setText(label);
}

QString Cell::label() const {
    return label_->text();
}

QString Cell::value() const {
    return value_->text();
}

void Cell::setValue(const QString& value) {
    value_->setText(value);
}
