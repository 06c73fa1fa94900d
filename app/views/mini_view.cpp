#include "views/mini_view.h"

#include "common/ping_alarm.h"
#include "common/texts.h"
#include "core/formatters.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "views/divider.h"
#include "views/glass.h"
#include "views/label.h"
#include "views/rows.h"
#include "views/sparkline.h"
#include "views/symbol_button.h"

#include <QHBoxLayout>
#include <QShortcut>
#include <QTimer>

using namespace Qt::StringLiterals;

// One host: its name, its last pings as a sparkline, its current time.
class MiniView::HostLine final : public QWidget {
public:
    HostLine()
        : name_(new Label(Text::Caption))
        , line_(new Sparkline)
        , time_(new Label(Text::Caption, QFont::DemiBold)) {
        setObjectName(u"miniHost"_s);
        name_->setObjectName(u"miniHostName"_s);
        time_->setObjectName(u"miniHostTime"_s);
        name_->setFixedWidth(64);
        line_->setFixedHeight(16);
        time_->setFixedWidth(48);
        time_->setAlignment(Qt::AlignRight);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(8);
        row->addWidget(name_);
        row->addWidget(line_, 1);
        row->addWidget(time_);
    }

    void set(const QString& name, const Samples& samples, std::optional<double> last) {
        name_->setText(name);
        line_->setSamples(samples);
        time_->setText(ms(last));
        time_->setColor(pingAlarm(last) ? std::optional<QColor>(colors::red) : std::nullopt);
    }

private:
    Label* name_;
    Sparkline* line_;
    Label* time_;
};

MiniView::MiniView(Monitor& m, std::function<void()> open, std::function<void()> close, QWidget* parent)
    : QWidget(parent)
    , m_(m)
    , open_(std::move(open))
    , close_(std::move(close))
    , clock_(&Clock::system())
    , header_(new QHBoxLayout)
    , down_(new Label(Text::Caption, QFont::DemiBold))
    , up_(new Label(Text::Caption, QFont::DemiBold))
    , exitBadge_(new Label(Text::Caption, QFont::DemiBold, Label::Tone::Accent))
    , connection_(new Label(Text::Caption2, QFont::Normal, Label::Tone::Secondary))
    , exitLine_(new Label(Text::Caption2, QFont::Normal, Label::Tone::Secondary))
    , peaks_(new Label(Text::Caption2, QFont::Normal, Label::Tone::Secondary))
    , age_(new Label(Text::Caption2, QFont::Normal, Label::Tone::Secondary))
    , closeButton_(new SymbolButton(u"xmark.circle.fill"_s, 13, 6, this))
    , tick_(new QTimer(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* glass = new Glass(16);
    glass->setFixedWidth(260);
    outer->addWidget(glass);

    column_ = new QVBoxLayout(glass);
    column_->setContentsMargins(12, 12, 12, 12);
    column_->setSpacing(6);
    down_->setObjectName(u"miniDown"_s);
    up_->setObjectName(u"miniUp"_s);
    exitBadge_->setObjectName(u"miniExitBadge"_s);
    exitBadge_->setSymbol(u"arrow.triangle.turn.up.right.circle.fill"_s);
    // The rates keep their natural width; only the exit node's name gives way, cut with an ellipsis.
    down_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    up_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    header_->setSpacing(8);
    header_->addWidget(down_);
    header_->addWidget(up_);
    header_->addStretch(1);
    header_->addWidget(exitBadge_);
    column_->addLayout(header_);
    column_->addWidget(new Divider(0.5));

    connection_->setObjectName(u"miniConnection"_s);
    exitLine_->setObjectName(u"miniExit"_s);
    exitLine_->setSymbol(u"arrow.triangle.turn.up.right.circle"_s);
    peaks_->setObjectName(u"miniPeaks"_s);
    peaks_->setSymbol(u"chart.bar"_s);
    age_->setObjectName(u"miniAge"_s);
    age_->setAlignment(Qt::AlignRight);
    column_->addWidget(connection_);
    column_->addWidget(exitLine_);
    auto* peakRow = new QHBoxLayout;
    peakRow->setSpacing(8);
    peakRow->addWidget(peaks_, 1);
    peakRow->addWidget(age_);
    column_->addLayout(peakRow);

    closeButton_->setObjectName(u"miniClose"_s);
    closeButton_->setToolTip(u"Zamknij"_s);
    closeButton_->hide();
    connect(closeButton_, &SymbolButton::clicked, this, [this] { close_(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { close_(); });

    tick_->setInterval(1000);
    connect(tick_, &QTimer::timeout, this, &MiniView::syncAge);
    connect(&m_, &Monitor::changed, this, &MiniView::changed);
    connect(&m_.usage(), &HotspotUsage::changed, this, &MiniView::changed);
    sync();
}

void MiniView::setClock(const Clock& clock) {
    clock_ = &clock;
    syncAge();
}

void MiniView::changed() {
    if (isVisible())
        sync();
    else
        dirty_ = true;
}

void MiniView::sync() {
    dirty_ = false;
    down_->setText(u"↓ "_s + rate(m_.down()));
    up_->setText(u"↑ "_s + rate(m_.up()));
    const std::optional<Tailnet>& t = m_.tailnet();
    const bool exit = t && t->exitName;
    exitBadge_->setVisible(exit && t->state == u"Running"_s);
    exitBadge_->setText(exit ? *t->exitName : QString());
    exitBadge_->setToolTip(exitBadge_->text());

    const QStringList& hosts = m_.hosts();
    // Host lines follow the header.
    resizeRows(hosts_, column_, 1, hosts.size(), [] { return new HostLine; });
    for (qsizetype i = 0; i < hosts.size(); ++i)
        hosts_[i]->set(m_.name(hosts[i]), m_.history().value(hosts[i]), m_.current(hosts[i]));

    const HotspotUsage& usage = m_.usage();
    connection_->setSymbol(usage.active() ? u"personalhotspot"_s : u"wifi"_s);
    connection_->setText(usage.active() ? u"hotspot iPhone · "_s + byteCount(usage.state().dayBytes) + u" dziś"_s
                                        : m_.network());
    exitLine_->setVisible(exit);
    if (exit) {
        // A long exit-node name gives way to the route and the ping.
        exitLine_->setText(*t->exitName);
        exitLine_->setTail(u" · "_s + (t->exitDirect ? u"direct"_s : u"DERP "_s + t->exitRelay) + u" · "_s +
                           ms(t->exitPing));
    }
    peaks_->setText(u"szczyt ↓ "_s + rate(m_.peakDown()) + u"  ↑ "_s + rate(m_.peakUp()));
    syncAge();
}

void MiniView::syncAge() {
    const QList<NetEvent>& events = m_.events();
    age_->setVisible(!events.isEmpty());
    if (!events.isEmpty())
        age_->setText(relativeAge(events.first().time, clock_->now()));
}

void MiniView::setHover(bool on) {
    header_->setContentsMargins(0, 0, on ? 16 : 0, 0);
    column_->activate();
    closeButton_->setVisible(on);
    closeButton_->raise();
}

void MiniView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHover(true);
}

void MiniView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHover(false);
}

void MiniView::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    open_();
}

void MiniView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (dirty_)
        sync();
    else
        syncAge();
    tick_->start();
}

void MiniView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    tick_->stop();
}

void MiniView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Held a little inside the corner so the round glass edge does not cut the button.
    closeButton_->move(width() - closeButton_->sizeHint().width() - 3, 3);
    closeButton_->resize(closeButton_->sizeHint());
}
