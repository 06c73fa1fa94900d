#include "views/exit_card.h"

#include "core/formatters.h"
#include "views/label.h"

#include <QHBoxLayout>

using namespace Qt::StringLiterals;

ExitCard::ExitCard(QWidget* parent)
    : QWidget(parent)
    , icon_(new Label(Text::Title2))
    , title_(new Label(Text::Callout, QFont::DemiBold))
    , detail_(new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary)) {
    title_->setObjectName(u"exitTitle"_s);
    detail_->setObjectName(u"exitDetail"_s);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(icon_, 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(1);
    lines->addWidget(title_);
    lines->addWidget(detail_);
    row->addLayout(lines, 1);
    setVisible(false);
}

void ExitCard::setTailnet(const std::optional<Tailnet>& t) {
    setVisible(t && t->state == u"Running"_s);
    if (!t)
        return;
    if (t->exitName) {
        icon_->setSymbol(u"arrow.triangle.turn.up.right.circle.fill"_s);
        icon_->setTone(Label::Tone::Accent);
        title_->setText(u"Wyjście przez exit node: "_s + *t->exitName);
        const QString path = t->exitDirect ? u"direct "_s + t->exitAddr : u"przez DERP "_s + t->exitRelay;
        detail_->setText(path + u" · "_s + ms(t->exitPing));
    } else {
        icon_->setSymbol(u"arrow.right.circle"_s);
        icon_->setTone(Label::Tone::Secondary);
        title_->setText(u"Ruch bezpośrednio"_s);
        detail_->setText(u"Tailscale "_s + t->tailnet + u", bez exit node"_s);
    }
}
