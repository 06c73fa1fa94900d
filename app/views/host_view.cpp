#include "views/host_view.h"

#include "core/formatters.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "views/bars.h"
#include "views/cell.h"
#include "views/label.h"
#include "views/quality_row.h"
#include "views/tab_button.h"
#include "views/time_text.h"

#include <QGridLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString whole(double x, const QString& unit) {
    return QString::number(std::llround(x)) + unit;
}

TabButton* segment(const QString& id, const QString& label) {
    auto* b = new TabButton(id, label, QString());
    b->setObjectName(u"range-"_s + id);
    QFont f = b->font();
    f.setPixelSize(::font(Text::Caption).pixelSize());
    b->setFont(f);
    return b;
}

QString outageText(const Outage& o) {
    return shortTimeOfDay(o.start) + u" · "_s + (o.open ? u"trwa"_s : duration(o.duration()));
}

} // namespace

HostView::HostView(Monitor& m, int width, QWidget* parent)
    : QWidget(parent)
    , m_(m)
    , quality_(new QualityRow)
    , fiveMinutes_(segment(u"5min"_s, u"5 min"_s))
    , day_(segment(u"24h"_s, u"24 h"_s))
    , bars_(new Bars) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(quality_);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const QStringList labels{u"ostatni"_s, u"min (60 s)"_s, u"średni"_s,       u"max"_s,
                             u"jitter"_s,  u"straty"_s,     u"↓ pobieranie"_s, u"↑ wysyłanie"_s};
    for (const QString& label : labels) {
        auto* cell = new Cell(label);
        grid->addWidget(cell, int(cells_.size()) / 2, int(cells_.size()) % 2);
        cells_.append(cell);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);

    auto* heading = new QHBoxLayout;
    heading->setSpacing(2);
    auto* history = new Label(Text::Title3, QFont::Bold);
    history->setText(u"Historia"_s);
    heading->addWidget(history, 1);
    heading->addWidget(fiveMinutes_);
    heading->addWidget(day_);
    column->addLayout(heading);
    bars_->setObjectName(u"bars"_s);
    bars_->setFixedSize(width, qRound(width / phi));
    column->addWidget(bars_);
    connect(fiveMinutes_, &TabButton::clicked, this, [this] { setRange(Range::FiveMinutes); });
    connect(day_, &TabButton::clicked, this, [this] { setRange(Range::Day); });

    auto* list = new QVBoxLayout;
    list->setSpacing(4);
    auto* outagesHeading = new Label(Text::Title3, QFont::Bold);
    outagesHeading->setText(u"Przerwy (24 h)"_s);
    list->addWidget(outagesHeading);
    for (int i = 0; i < outagesShown; ++i) {
        auto* line = new Label(Text::Callout);
        line->setObjectName(u"outage"_s);
        list->addWidget(line);
        outages_.append(line);
    }
    column->addLayout(list);

    // The day's chart and outages change once a minute, apart from the monitor's refreshes.
    connect(&m_.longHistory(), &History::changed, this, [this] {
        if (isVisible() && !host_.isEmpty())
            sync(host_);
    });
    fiveMinutes_->setSelected(true);
}

void HostView::setRange(Range range) {
    range_ = range;
    fiveMinutes_->setSelected(range == Range::FiveMinutes);
    day_->setSelected(range == Range::Day);
    if (!host_.isEmpty())
        sync(host_);
}

void HostView::sync(const QString& host) {
    host_ = host;
    const Stats s = m_.stats(host, statsSeconds);
    quality_->set(u"Jakość"_s, s.last);
    const QStringList values{ms(s.last),
                             whole(s.min, u" ms"_s),
                             whole(s.avg, u" ms"_s),
                             whole(s.max, u" ms"_s),
                             whole(s.jitter, u" ms"_s),
                             whole(s.loss, u" %"_s),
                             rate(m_.down()),
                             rate(m_.up())};
    for (qsizetype i = 0; i < cells_.size(); ++i)
        cells_[i]->setValue(values[i]);
    const History& h = m_.longHistory();
    if (range_ == Range::Day)
        bars_->setColumns(Bars::columns(h.minutes(host), m_.updated()), Bars::daySlotCount());
    else
        bars_->setColumns(Bars::columns(m_.history().value(host)), Bars::slotCount());

    QStringList lines;
    for (const Outage& o : h.outages()) {
        if (o.host == host && lines.size() < outagesShown)
            lines.append(outageText(o));
    }
    const bool none = lines.isEmpty();
    if (none)
        lines.append(u"brak"_s);
    for (qsizetype i = 0; i < outages_.size(); ++i) {
        outages_[i]->setText(lines.value(i));
        outages_[i]->setTone(none ? Label::Tone::Secondary : Label::Tone::Primary);
        outages_[i]->setVisible(i < lines.size());
    }
}
