#include "views/hotspot_card.h"

#include "common/texts.h"
#include "core/hotspot_usage.h"
#include "views/label.h"
#include "views/quality_bar.h"

#include <QDate>
#include <QHBoxLayout>
#include <QPainter>
#include <cmath>

using namespace Qt::StringLiterals;

// The month's share of the limit as a rounded bar.
class HotspotCard::Meter final : public QWidget {
public:
    explicit Meter(QWidget* parent = nullptr)
        : QWidget(parent) {
        setFixedHeight(8);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setShare(double f) {
        share_ = f;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(trackColor(palette()));
        p.drawRoundedRect(rect(), 4, 4);
        if (share_ <= 0)
            return;
        QRectF fill = rect();
        fill.setWidth(width() * share_);
        p.setBrush(share_ < 0.8 ? colors::green : share_ < 1.0 ? colors::orange : colors::red);
        const qreal radius = std::min(4.0, fill.width() / 2);
        p.drawRoundedRect(fill, radius, radius);
    }

private:
    double share_ = 0;
};

namespace {

// The month number of a "yyyy-MM" key; 0 before the first count, when the card is hidden anyway.
int monthOf(const QString& key) {
    const QDate d = QDate::fromString(key + u"-01"_s, u"yyyy-MM-dd"_s);
    return d.isValid() ? d.month() : 0;
}

// The Polish locative of month 1 to 12, as in "w grudniu".
QString monthName(int month) {
    static const QStringList names{u"styczniu"_s, u"lutym"_s,        u"marcu"_s,       u"kwietniu"_s,
                                   u"maju"_s,     u"czerwcu"_s,      u"lipcu"_s,       u"sierpniu"_s,
                                   u"wrześniu"_s, u"październiku"_s, u"listopadzie"_s, u"grudniu"_s};
    return names.value(month - 1);
}

} // namespace

HotspotCard::HotspotCard(HotspotUsage& usage, QWidget* parent)
    : QWidget(parent)
    , usage_(usage)
    , icon_(new Label(Text::Callout))
    , totals_(new Label(Text::Callout, QFont::DemiBold))
    , session_(new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary))
    , meter_(new Meter)
    , share_(new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary)) {
    totals_->setObjectName(u"hotspotTotals"_s);
    session_->setObjectName(u"hotspotSession"_s);
    meter_->setObjectName(u"hotspotMeter"_s);
    share_->setObjectName(u"hotspotShare"_s);
    icon_->setSymbol(u"personalhotspot"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(icon_);
    row->addWidget(totals_, 1);
    column->addLayout(row);
    column->addWidget(session_);
    column->addWidget(meter_);
    column->addWidget(share_);
    connect(&usage_, &HotspotUsage::changed, this, &HotspotCard::sync);
    sync();
}

void HotspotCard::sync() {
    const UsageState& s = usage_.state();
    const bool active = usage_.active();
    setVisible(active || s.monthBytes > 0);
    icon_->setTone(active ? Label::Tone::Accent : Label::Tone::Secondary);
    totals_->setText(u"Hotspot: "_s + byteCount(s.dayBytes) + u" dziś · "_s + byteCount(s.monthBytes) + u" w "_s +
                     monthName(monthOf(s.month)));
    session_->setVisible(active);
    session_->setText(u"ta sesja: "_s + byteCount(usage_.session()));
    const quint64 limit = usage_.limit();
    meter_->setVisible(limit != 0);
    share_->setVisible(limit != 0);
    if (limit == 0)
        return;
    const double f = std::min(double(s.monthBytes) / double(limit), 1.0);
    meter_->setShare(f);
    share_->setText(QString::number(std::lround(f * 100)) + u"% z limitu "_s + byteCount(limit));
}
