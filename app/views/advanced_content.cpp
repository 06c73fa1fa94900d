#include "views/advanced_content.h"

#include "views/advanced_location.h"
#include "views/advanced_public_ip.h"
#include "views/advanced_rows.h"
#include "views/card.h"
#include "views/label.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int cardGap = 14;
} // namespace

AdvancedContent::AdvancedContent(QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(cardGap);
    column->addStretch();
    setFacts(DetailFacts{});
}

void AdvancedContent::setFacts(const DetailFacts& facts) {
    const QList<DetailCard> cards = detailCards(facts);
    auto* column = static_cast<QVBoxLayout*>(layout());
    while (cards_.size() < cards.size()) {
        const DetailCard& c = cards[cards_.size()];
        auto* card = new Card(c.title, this);
        auto* empty = new Label(Text::Callout, QFont::Normal, Label::Tone::Secondary, card);
        empty->setObjectName(u"empty"_s);
        card->body()->addWidget(empty);
        auto* rows = new AdvancedRows(card);
        card->body()->addWidget(rows);
        if (c.title == u"Wi-Fi"_s) {
            location_ = new AdvancedLocation(card);
            connect(location_, &AdvancedLocation::ask, this, &AdvancedContent::askLocation);
            card->body()->addWidget(location_);
        }
        if (c.title == u"Adresy"_s) {
            publicIP_ = new AdvancedPublicIP(card);
            connect(publicIP_, &AdvancedPublicIP::fetch, this, [this] { emit fetchPublicIP(exit_); });
            card->body()->addWidget(publicIP_);
        }
        column->insertWidget(column->count() - 1, card);
        cards_.append(card);
        empties_.append(empty);
        rows_.append(rows);
    }
    for (qsizetype i = 0; i < cards.size(); ++i) {
        rows_[i]->set(cards[i].rows);
        empties_[i]->setText(cards[i].empty.value_or(QString()));
        empties_[i]->setVisible(cards[i].rows.isEmpty() && cards[i].empty);
    }
    if (location_)
        location_->setVisible(facts.needsLocation);
    if (publicIP_)
        publicIP_->set(publicIPResult(facts));
    exit_ = currentExit(facts);
}
