#include "views/host_view.h"

#include "core/formatters.h"
#include "core/globals.h"
#include "core/monitor.h"
#include "views/bars.h"
#include "views/cell.h"
#include "views/label.h"
#include "views/quality_row.h"

#include <QGridLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString whole(double x, const QString& unit) {
    return QString::number(std::llround(x)) + unit;
}

} // namespace

HostView::HostView(Monitor& m, int width, QWidget* parent)
    : QWidget(parent)
    , m_(m)
    , quality_(new QualityRow)
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
    auto* history = new Label(Text::Title3, QFont::Bold);
    history->setText(u"Historia 5 min"_s);
    column->addWidget(history);
    bars_->setFixedSize(width, qRound(width / phi));
    column->addWidget(bars_);
}

void HostView::sync(const QString& host) {
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
    bars_->setSamples(m_.history().value(host));
}
