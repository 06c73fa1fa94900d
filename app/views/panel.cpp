#include "views/panel.h"

#include "core/globals.h"
#include "core/monitor.h"
#include "views/advanced_view.h"
#include "views/divider.h"
#include "views/host_view.h"
#include "views/label.h"
#include "views/menu_row.h"
#include "views/overview.h"
#include "views/symbol_button.h"
#include "views/tab_strip.h"
#include "views/time_text.h"
#include "views/toggle.h"

#include <QAction>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget* section(QLayout* layout, int width) {
    auto* w = new QWidget;
    w->setFixedWidth(width);
    layout->setContentsMargins(0, 0, 0, 0);
    w->setLayout(layout);
    return w;
}

} // namespace

QString Panel::overviewTab() {
    return u"Przeglad"_s;
}

Panel::Panel(Monitor& m, Preferences prefs, PanelState& ps, int width, std::function<void(const QString&)> actions,
             QWidget* parent)
    : QWidget(parent)
    , m_(m)
    , prefs_(std::move(prefs))
    , ps_(ps)
    , actions_(std::move(actions))
    , strip_(new TabStrip)
    , title_(new Label(Text::Title3, QFont::Bold))
    , updated_(new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary))
    , toggle_(new Toggle)
    , pin_(new SymbolButton(u"pin"_s, 17, 2))
    , content_(new QVBoxLayout)
    , overview_(new Overview(m))
    , host_(new HostView(m, width - 28)) {
    const int inner = width - 28;
    setFocusPolicy(Qt::StrongFocus);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->setSizeConstraint(QLayout::SetFixedSize);

    strip_->setObjectName(u"tabs"_s);
    strip_->setFixedWidth(inner);
    column->addWidget(strip_);

    title_->setObjectName(u"title"_s);
    updated_->setObjectName(u"updated"_s);
    toggle_->setObjectName(u"advanced"_s);
    toggle_->setToolTip(u"Zaawansowane (Alt + klik w ikonę)"_s);
    toggle_->setAccessibleName(u"Zaawansowane"_s);
    pin_->setObjectName(u"pin"_s);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(title_);
    titles->addWidget(updated_);
    header->addLayout(titles, 1);
    header->addWidget(toggle_, 0, Qt::AlignTop);
    header->addWidget(pin_, 0, Qt::AlignTop);
    column->addWidget(section(header, inner));

    overview_->setObjectName(u"overview"_s);
    host_->setObjectName(u"host"_s);
    content_->setSpacing(12);
    content_->addWidget(overview_);
    content_->addWidget(host_);
    column->addWidget(section(content_, inner));

    auto* divider = new Divider;
    divider->setFixedWidth(inner);
    column->addWidget(divider);

    auto* menu = new QVBoxLayout;
    menu->setSpacing(0);
    addRow(menu, u"Otwórz gping"_s, u"gping"_s, {});
    addRow(menu, u"Mini okno"_s, u"mini"_s, QKeySequence(Qt::CTRL | Qt::Key_M));
    addRow(menu, u"Odśwież"_s, u"refresh"_s, QKeySequence(Qt::CTRL | Qt::Key_R));
    addRow(menu, u"Ustawienia…"_s, u"settings"_s, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addRow(menu, u"O Tarnwick (v"_s + version() + u')', u"about"_s, {});
    addRow(menu, u"Zakończ"_s, u"quit"_s, QKeySequence(Qt::CTRL | Qt::Key_Q));
    column->addWidget(section(menu, inner));

    connect(strip_, &TabStrip::chosen, this, &Panel::choose);
    connect(toggle_, &Toggle::clicked, this, &Panel::setAdvanced);
    connect(pin_, &SymbolButton::clicked, this, [this] { actions_(u"pin"_s); });
    connect(&m_, &Monitor::changed, this, &Panel::changed);
    reload();
}

void Panel::addRow(QVBoxLayout* menu, const QString& title, const QString& id, const QKeySequence& keys) {
    auto* row = new MenuRow(title, keys.toString(QKeySequence::NativeText));
    row->setObjectName(u"menu-"_s + id);
    menu->addWidget(row);
    connect(row, &MenuRow::clicked, this, [this, id] { actions_(id); });
    if (keys.isEmpty())
        return;
    auto* action = new QAction(this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, [this, id] { actions_(id); });
    addAction(action);
}

void Panel::reload() {
    tab_ = prefs_.tab();
    advanced_ = prefs_.advanced();
    pinned_ = prefs_.pinned();
    sync();
}

void Panel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reload();
}

void Panel::changed() {
    // A hidden panel catches up when it is shown again.
    if (isVisible())
        sync();
}

void Panel::choose(const QString& tab) {
    tab_ = tab;
    prefs_.setTab(tab);
    sync();
}

void Panel::setAdvanced(bool on) {
    advanced_ = on;
    prefs_.setAdvanced(on);
    sync();
}

void Panel::syncTabs() {
    QList<TabStrip::Tab> tabs{{overviewTab(), u"Przegląd"_s, u"square.grid.2x2"_s}};
    for (const QString& host : m_.hosts())
        tabs.append({host, m_.name(host), QString()});
    strip_->setTabs(tabs);
    strip_->setSelected(tab_);
}

void Panel::sync() {
    syncTabs();
    const bool overview = tab_ == overviewTab();
    title_->setText(advanced_ ? u"Zaawansowane"_s : overview ? m_.network() : m_.name(tab_));
    updated_->setText(u"Aktualizowano "_s + timeOfDay(m_.updated()));
    toggle_->setChecked(advanced_);
    pin_->setSymbol(pinned_ ? u"pin.fill"_s : u"pin"_s);
    pin_->setTone(pinned_ ? Label::Tone::Accent : Label::Tone::Secondary);
    pin_->setToolTip(pinned_ ? u"Odepnij panel"_s : u"Przypnij panel: zostaje na wierzchu, można go przesunąć"_s);

    const bool host = !advanced_ && !overview && m_.hosts().contains(tab_);
    if (advanced_ && !advancedView_) {
        advancedView_ = new AdvancedView(m_.adv(), m_, ps_);
        advancedView_->setObjectName(u"advancedView"_s);
        content_->addWidget(advancedView_);
    } else if (!advanced_ && advancedView_) {
        delete advancedView_;
    }
    overview_->setVisible(!advanced_ && !host);
    host_->setVisible(host);
    if (advancedView_)
        advancedView_->show();
    if (host)
        host_->sync(tab_);
    else if (!advanced_)
        overview_->sync();
}
