#include "views/advanced_public_ip.h"

#include "views/detail_rows.h"
#include "views/kv_row.h"
#include "views/label.h"
#include "views/style.h"

#include <QHBoxLayout>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {
const QString label = u"Publiczny IP"_s;
} // namespace

AdvancedPublicIP::AdvancedPublicIP(QWidget* parent)
    : QWidget(parent)
    , result_(new KVRow(this))
    , ask_(new QWidget(this))
    , button_(new QPushButton(u"Sprawdź"_s, ask_)) {
    auto* caption = new Label(Text::Callout, QFont::Normal, Label::Tone::Secondary, ask_);
    caption->setText(label);
    button_->setFont(::font(Text::Callout));
    button_->setAutoDefault(false);
    button_->setCursor(Qt::PointingHandCursor);
    connect(button_, &QPushButton::clicked, this, &AdvancedPublicIP::fetch);

    auto* line = new QHBoxLayout(ask_);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(caption, 0, Qt::AlignVCenter);
    line->addStretch();
    line->addWidget(button_, 0, Qt::AlignVCenter);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(result_);
    stack->addWidget(ask_);
    set(std::nullopt);
}

void AdvancedPublicIP::set(const std::optional<PublicIPResult>& result) {
    if (result)
        result_->set(label, result->text, std::nullopt, result->copy);
    result_->setVisible(result.has_value());
    ask_->setVisible(!result);
}
