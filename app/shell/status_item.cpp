#include "shell/status_item.h"

#include "core/formatters.h"
#include "shell/sni/status_notifier_item.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

namespace {

// Sizes hosts draw tray icons at, and their doubles for dense screens.
constexpr int sides[] = {16, 22, 24, 32, 44, 48, 64, 96};

bool onSomeScreen(QPoint p) {
    return QGuiApplication::screenAt(p) != nullptr;
}

} // namespace

// No shortcuts: tray menus show none, and some hosts complain about them.
const QList<StatusItem::Entry> StatusItem::entries = {
    {u"Pokaż panel"_s, u"panel"_s},
    {u"Mini okno"_s, u"mini"_s},
    {u"Zaawansowane"_s, u"advanced"_s},
    {u"Ustawienia…"_s, u"settings"_s},
    {u"Przywróć położenie okien"_s, u"reset"_s},
    {},
    {u"Odśwież"_s, u"refresh"_s},
    {u"Zakończ Tarnwick"_s, u"quit"_s},
};

StatusItem::StatusItem(std::optional<QImage> phone, QObject* parent)
    : QObject(parent)
    , bar_(std::move(phone))
    , menu_(new QMenu)
    , sni_(new StatusNotifierItem(u"tarnwick"_s, u"Tarnwick"_s, QDBusConnection::sessionBus(), this)) {
    for (const Entry& e : entries) {
        if (e.id.isEmpty()) {
            menu_->addSeparator();
            continue;
        }
        const QString id = e.id;
        menu_->addAction(e.label, this, [this, id] { emit chosen(id); });
    }
    sni_->setMenu(menu_->actions());
    connect(sni_, &StatusNotifierItem::activated, this, [this](QPoint at) {
        clickedAt_ = onSomeScreen(at) && !at.isNull() ? std::optional(at) : std::nullopt;
        emit clicked();
    });
    connect(sni_, &StatusNotifierItem::contextMenuRequested, this, [this](QPoint at) { menu_->popup(at); });
    connect(sni_, &StatusNotifierItem::shownChanged, this, [this] {
        useEmbedded(!sni_->watcherPresent());
        changed();
    });
    update(0, 0, QString(), std::nullopt, {});
    useEmbedded(!sni_->watcherPresent());
    changed();
}

StatusItem::~StatusItem() {
    delete menu_;
}

void StatusItem::update(double down, double up, const QString& host, std::optional<double> ms, BarMarks marks) {
    const QString tip = u"↓ "_s + rate(down) + u"  ↑ "_s + rate(up) + u"\n"_s +
                        (host.isEmpty() ? QString() : host + u": "_s) + ::ms(ms);
    if (tip != tip_) {
        tip_ = tip;
        sni_->setToolTip(u"Tarnwick"_s, tip);
        if (tray_)
            tray_->setToolTip(tip);
    }
    const std::pair<Latency, BarMarks> facts{latency(ms), marks};
    if (drawn_ == facts)
        return;
    drawn_ = facts;
    icons_.clear();
    for (const int side : sides)
        icons_.append(bar_.trayImage(ms, marks, side));
    sni_->setIcons(icons_);
    if (tray_)
        tray_->setIcon(embeddedIcon());
}

QIcon StatusItem::embeddedIcon() const {
    QIcon icon;
    for (const QImage& image : icons_)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

void StatusItem::useEmbedded(bool on) {
    if (!on) {
        if (tray_)
            tray_->hide();
        return;
    }
    // Created only when no watcher is there, as the toolkit then settles on the embedded kind for good.
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        tray_->setContextMenu(menu_);
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                clickedAt_.reset();
                emit clicked();
            }
        });
        tray_->setIcon(embeddedIcon());
        tray_->setToolTip(tip_);
    }
    poll();
}

void StatusItem::poll() {
    if (tray_ && !sni_->watcherPresent() && !tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();
    changed();
}

void StatusItem::changed() {
    const bool now = sni_->shown() || (tray_ && tray_->isVisible() && !sni_->watcherPresent());
    if (now == shown_)
        return;
    shown_ = now;
    emit shownChanged(now);
}

bool StatusItem::shown() const {
    return shown_;
}

std::optional<QRect> StatusItem::anchor() const {
    if (sni_->watcherPresent())
        return clickedAt_ ? std::optional(QRect(*clickedAt_, QSize(1, 1))) : std::nullopt;
    if (tray_ && tray_->isVisible()) {
        const QRect r = tray_->geometry();
        if (r.isValid() && !r.isEmpty() && onSomeScreen(r.center()))
            return r;
    }
    return std::nullopt;
}
