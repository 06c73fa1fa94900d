#include "views/overview.h"

#include "core/formatters.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "views/cell.h"
#include "views/exit_card.h"
#include "views/hotspot_card.h"
#include "views/label.h"
#include "views/quality_row.h"
#include "views/rows.h"
#include "views/time_text.h"

#include <QGridLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// One network change: the new name and its time, what preceded it underneath.
class Overview::EventRow final : public QWidget {
public:
    EventRow()
        : label_(new Label(Text::Callout))
        , time_(new Label(Text::Callout, QFont::DemiBold))
        , detail_(new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary)) {
        setObjectName(u"event"_s);
        label_->setObjectName(u"eventLabel"_s);
        time_->setObjectName(u"eventTime"_s);
        detail_->setObjectName(u"eventDetail"_s);
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(1);
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(label_, 1);
        row->addWidget(time_);
        column->addLayout(row);
        column->addWidget(detail_);
    }

    void set(const NetEvent& e) {
        label_->setText(e.label);
        time_->setText(shortTimeOfDay(e.time));
        detail_->setText(e.detail);
    }

private:
    Label* label_;
    Label* time_;
    Label* detail_;
};

Overview::Overview(Monitor& m, QWidget* parent)
    : QWidget(parent)
    , m_(m)
    , column_(new QVBoxLayout(this))
    , exit_(new ExitCard)
    , down_(new Cell(u"↓ pobieranie"_s))
    , up_(new Cell(u"↑ wysyłanie"_s))
    , recent_(new Label(Text::Title3, QFont::Bold)) {
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(12);
    column_->addWidget(exit_);
    column_->addWidget(new HotspotCard(m.usage()));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->addWidget(down_, 0, 0);
    grid->addWidget(up_, 0, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    column_->addLayout(grid);
    recent_->setText(u"Ostatnie"_s);
    recent_->setObjectName(u"recent"_s);
    column_->addWidget(recent_);
    sync();
}

void Overview::sync() {
    exit_->setTailnet(m_.tailnet());
    const QStringList& hosts = m_.hosts();
    // Host rows sit after the two cards.
    resizeRows(hosts_, column_, 2, hosts.size(), [] { return new QualityRow; });
    for (qsizetype i = 0; i < hosts.size(); ++i)
        hosts_[i]->set(m_.name(hosts[i]), m_.stats(hosts[i], statsSeconds).last);
    down_->setValue(rate(m_.down()));
    up_->setValue(rate(m_.up()));
    const QList<NetEvent>& events = m_.events();
    recent_->setVisible(!events.isEmpty());
    resizeRows(events_, column_, column_->indexOf(recent_) + 1, events.size(), [] { return new EventRow; });
    for (qsizetype i = 0; i < events.size(); ++i)
        events_[i]->set(events[i]);
}
