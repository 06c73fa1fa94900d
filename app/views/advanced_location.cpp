#include "views/advanced_location.h"

#include "views/style.h"
#include "views/symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int padding = 10;
constexpr int radius = 10;
constexpr int gap = 10;
constexpr int lineGap = 6;
constexpr double tint = 0.12;

int iconSize() {
    return ::font(Text::Title2).pixelSize();
}
} // namespace

AdvancedLocation::AdvancedLocation(QWidget* parent)
    : QWidget(parent)
    , icon_(new QWidget(this))
    , why_(new QLabel(u"macOS pokazuje nazwę sieci Wi-Fi tylko aplikacjom z tą zgodą."_s, this))
    , button_(new QPushButton(u"Nadaj zgodę"_s, this)) {
    icon_->setFixedSize(iconSize(), iconSize());
    auto* title = new QLabel(u"Brak zgody na Lokalizację"_s, this);
    title->setFont(::font(Text::Callout, QFont::DemiBold));
    why_->setFont(::font(Text::Caption));
    why_->setWordWrap(true);
    button_->setFont(::font(Text::Callout));
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this, &AdvancedLocation::ask);

    auto* column = new QVBoxLayout;
    column->setSpacing(lineGap);
    column->addWidget(title);
    column->addWidget(why_);
    column->addWidget(button_, 0, Qt::AlignLeft);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(gap);
    row->addWidget(icon_, 0, Qt::AlignTop);
    row->addLayout(column, 1);
    fade();
}

void AdvancedLocation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = colors::orange;
    fill.setAlphaF(float(tint));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(rect(), radius, radius);
    p.drawPixmap(icon_->pos(), symbolPixmap(u"location.slash.fill"_s, iconSize(), colors::orange, devicePixelRatioF()));
}

void AdvancedLocation::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        fade();
}

// The explanation's colour derives from this widget's palette; setting it on the child sends this widget
// no further event.
void AdvancedLocation::fade() {
    QPalette own = why_->palette();
    own.setColor(QPalette::WindowText, colors::secondary(palette()));
    why_->setPalette(own);
}
