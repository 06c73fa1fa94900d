#include "views/tab_strip.h"

#include "views/style.h"
#include "views/tab_button.h"

#include <QLinearGradient>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int gap = 4;
constexpr int fadeWidth = 28;

} // namespace

// An edge of the host tabs where more lies beyond: they fade out under a chevron, which scrolls on a click.
class TabStrip::Fade final : public QWidget {
public:
    Fade(bool right, std::function<void()> pressed, QWidget* parent)
        : QWidget(parent)
        , right_(right)
        , pressed_(std::move(pressed)) {
        setCursor(Qt::PointingHandCursor);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor solid = palette().color(QPalette::Window);
        QColor clear = solid;
        clear.setAlpha(0);
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(right_ ? 0 : 1, clear);
        g.setColorAt(right_ ? 0.6 : 0.4, solid);
        g.setColorAt(right_ ? 1 : 0, solid);
        p.fillRect(rect(), g);
        p.setPen(QPen(colors::secondary(palette()), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const double x = right_ ? width() - 7.0 : 7.0;
        const double dx = right_ ? -3.5 : 3.5;
        const double y = height() / 2.0;
        p.drawPolyline(QPolygonF{{x + dx, y - 4}, {x, y}, {x + dx, y + 4}});
    }

    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        pressed_();
    }

private:
    bool right_;
    std::function<void()> pressed_;
};

TabStrip::TabStrip(QWidget* parent)
    : QWidget(parent)
    , hosts_(new QWidget(this))
    , left_(new Fade(
          false, [this] { scrollBy(-hosts_->width() / 2); }, hosts_))
    , right_(new Fade(
          true, [this] { scrollBy(hosts_->width() / 2); }, hosts_)) {
    hosts_->setObjectName(u"hostTabs"_s);
    left_->setObjectName(u"more-left"_s);
    right_->setObjectName(u"more-right"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TabStrip::setTabs(const QList<Tab>& tabs) {
    if (tabs == tabs_)
        return;
    tabs_ = tabs;
    qDeleteAll(buttons_);
    buttons_.clear();
    for (const Tab& t : tabs) {
        auto* button = new TabButton(t.id, t.label, t.symbol, buttons_.isEmpty() ? this : hosts_);
        button->setObjectName(u"tab-"_s + t.id);
        connect(button, &TabButton::clicked, this, [this, id = t.id] { emit chosen(id); });
        button->show();
        buttons_.append(button);
    }
    offset_ = 0;
    selected_.reset();
    updateGeometry();
    place();
}

void TabStrip::setSelected(const QString& id) {
    // Brought into view when chosen, not on every redraw, which would undo the user's scrolling.
    if (id == selected_)
        return;
    selected_ = id;
    for (TabButton* tab : std::as_const(buttons_)) {
        tab->setSelected(tab->id() == id);
        if (tab->selected())
            reveal(tab);
    }
}

QSize TabStrip::sizeHint() const {
    int w = 0;
    int h = 0;
    for (const TabButton* tab : buttons_) {
        w += tab->sizeHint().width() + (w ? gap : 0);
        h = std::max(h, tab->sizeHint().height());
    }
    return {w, h};
}

QSize TabStrip::minimumSizeHint() const {
    return {buttons_.isEmpty() ? 0 : buttons_.first()->sizeHint().width(), sizeHint().height()};
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void TabStrip::wheelEvent(QWheelEvent* event) {
    if (content_ <= hosts_->width()) {
        event->ignore();
        return;
    }
    // A mouse wheel turns vertically; a touchpad may swipe sideways.
    const QPoint delta = event->angleDelta();
    scrollBy(-(std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y()) / 4);
    event->accept();
}

void TabStrip::scrollBy(int dx) {
    offset_ += dx;
    place();
}

void TabStrip::reveal(const TabButton* tab) {
    if (tab->parentWidget() != hosts_)
        return;
    const QRect r = tab->geometry().translated(offset_, 0);
    if (r.left() < offset_)
        offset_ = r.left();
    else if (r.right() + 1 > offset_ + hosts_->width())
        offset_ = r.right() + 1 - hosts_->width();
    place();
}

void TabStrip::place() {
    if (buttons_.isEmpty())
        return;
    const int h = height();
    TabButton* overview = buttons_.first();
    const int first = overview->sizeHint().width();
    overview->setGeometry(0, 0, first, h);
    hosts_->setGeometry(first + gap, 0, std::max(0, width() - first - gap), h);
    const int room = hosts_->width();
    content_ = 0;
    for (qsizetype i = 1; i < buttons_.size(); ++i)
        content_ += std::min(buttons_[i]->sizeHint().width(), room) + (i > 1 ? gap : 0);
    offset_ = std::clamp(offset_, 0, std::max(0, content_ - room));
    int x = -offset_;
    for (qsizetype i = 1; i < buttons_.size(); ++i) {
        const int w = std::min(buttons_[i]->sizeHint().width(), room);
        buttons_[i]->setGeometry(x, 0, w, h);
        x += w + gap;
    }
    left_->setGeometry(0, 0, fadeWidth, h);
    right_->setGeometry(room - fadeWidth, 0, fadeWidth, h);
    left_->setVisible(offset_ > 0);
    right_->setVisible(offset_ < content_ - room);
    left_->raise();
    right_->raise();
}
