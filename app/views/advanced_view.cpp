#include "views/advanced_view.h"

#include "core/monitor.h"
#include "core/panel_state.h"
#include "details/advanced.h"
#include "views/advanced_content.h"
#include "views/detail_rows.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace {
// Offsets this close to zero still count as the top, so a nudge does not take the panel's resizing away.
constexpr double topSlack = 1.0;
} // namespace

AdvancedView::AdvancedView(Advanced& a, Monitor& m, PanelState& ps, QWidget* parent)
    : QWidget(parent)
    , a_(a)
    , m_(m)
    , ps_(ps)
    , scroll_(new QScrollArea(this))
    , content_(new AdvancedContent) {
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content_);
    scroll_->viewport()->setAutoFillBackground(false);
    content_->setAutoFillBackground(false);
    content_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(scroll_);

    connect(&a_, &Advanced::changed, this, &AdvancedView::refill);
    connect(&m_, &Monitor::changed, this, &AdvancedView::refill);
    connect(&ps_, &PanelState::changed, this, &AdvancedView::fitHeight);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int offset) { ps_.setAtTop(offset <= topSlack); });
    connect(content_, &AdvancedContent::fetchPublicIP, &a_, &Advanced::fetchPublicIP);
    connect(content_, &AdvancedContent::askLocation, &a_, &Advanced::askLocation);

    refill();
    ps_.setAtTop(true);
    fitHeight();
}

// The width is the host's to give: a long value (an error page as the public address) must not widen the
// panel, so only the narrowest usable width is asked for.
QSize AdvancedView::sizeHint() const {
    return {content_->minimumSizeHint().width(), int(std::lround(ps_.height()))};
}

bool AdvancedView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize)
        measure();
    return QWidget::eventFilter(watched, event);
}

void AdvancedView::refill() {
    content_->setFacts(detailFacts(a_, m_));
}

// The content's height at the viewport's full width: the height it needs when the view can show it whole.
void AdvancedView::measure() {
    const int width = scroll_->width();
    const int h = content_->hasHeightForWidth() ? content_->heightForWidth(width) : content_->sizeHint().height();
    ps_.setContentH(std::max(h, content_->minimumSizeHint().height()));
}

void AdvancedView::fitHeight() {
    setFixedHeight(int(std::lround(ps_.height())));
}
