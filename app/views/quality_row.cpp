#include "views/quality_row.h"

#include "core/formatters.h"
#include "views/label.h"
#include "views/quality_bar.h"

#include <QVBoxLayout>

QualityRow::QualityRow(QWidget* parent)
    : QWidget(parent)
    , title_(new Label(Text::Title3, QFont::Bold))
    , time_(new Label(Text::Subheadline, QFont::Normal, Label::Tone::Secondary))
    , bar_(new QualityBar) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(title_, 1);
    row->addWidget(time_);
    time_->setAlignment(Qt::AlignRight);
    column->addLayout(row);
    column->addWidget(bar_);
}

void QualityRow::set(const QString& title, std::optional<double> last) {
    title_->setText(title);
    time_->setText(ms(last));
    bar_->setValue(last);
}

QString QualityRow::title() const {
    return title_->text();
}

QString QualityRow::time() const {
    return time_->text();
}
