#include "shell/sni/status_notifier_item.h"

#include "shell/sni/dbus_menu.h"
#include "shell/sni/item_adaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {

const QString watcherPath = u"/StatusNotifierWatcher"_s;
const QString watcherInterface = u"org.kde.StatusNotifierWatcher"_s;

int nextInstance() {
    static int n = 0;
    return ++n;
}

// Hosts read the tooltip text as markup: Pango's in GTK hosts, which knows no line-break tag, Qt's rich text in
// KDE, which keeps a plain newline.
QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

const QString StatusNotifierItem::watcherService = u"org.kde.StatusNotifierWatcher"_s;

StatusNotifierItem::StatusNotifierItem(const QString& id, const QString& title, QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , id_(id)
    , title_(title)
    , service_(u"org.kde.StatusNotifierItem-%1-%2"_s.arg(QCoreApplication::applicationPid()).arg(nextInstance()))
    , menu_(new DBusMenu(this))
    , watcher_(new QDBusServiceWatcher(watcherService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this)) {
    registerSniTypes();
    toolTip_.title = title;
    if (!bus_.isConnected())
        return;
    new StatusNotifierItemAdaptor(this);
    new DBusMenuAdaptor(menu_);
    bus_.registerObject(u"/StatusNotifierItem"_s, this);
    bus_.registerObject(u"/MenuBar"_s, menu_);
    bus_.registerService(service_);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { ownerChanged(owner); });
    bus_.connect(watcherService, watcherPath, watcherInterface, u"StatusNotifierHostRegistered"_s, this,
                 SLOT(askForHost()));
    bus_.connect(watcherService, watcherPath, watcherInterface, u"StatusNotifierHostUnregistered"_s, this,
                 SLOT(askForHost()));
    if (const QDBusReply<QString> owner = bus_.interface()->serviceOwner(watcherService); owner.isValid())
        ownerChanged(owner.value());
}

StatusNotifierItem::~StatusNotifierItem() {
    if (!bus_.isConnected())
        return;
    bus_.unregisterService(service_);
    bus_.unregisterObject(u"/MenuBar"_s);
    bus_.unregisterObject(u"/StatusNotifierItem"_s);
}

void StatusNotifierItem::setIcons(const QList<QImage>& icons) {
    pixmaps_.clear();
    for (const QImage& image : icons)
        pixmaps_.append(sniPixmap(image));
    emit newIcon();
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& text) {
    const QString markup = escaped(text);
    if (toolTip_.title == title && toolTip_.text == markup)
        return;
    toolTip_.title = title;
    toolTip_.text = markup;
    emit newToolTip();
}

void StatusNotifierItem::setMenu(const QList<QAction*>& actions) {
    menu_->setActions(actions);
}

void StatusNotifierItem::ownerChanged(const QString& owner) {
    watcherOwner_ = owner;
    if (owner.isEmpty()) {
        setState(false, false);
        return;
    }
    registerWithWatcher();
}

void StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(watcherService, watcherPath, watcherInterface, u"RegisterStatusNotifierItem"_s);
    call << service_;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError()) {
            setState(false, hostPresent_);
            return;
        }
        registered_ = true;
        askForHost();
    });
}

void StatusNotifierItem::askForHost() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcherService, watcherPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << watcherInterface << u"IsStatusNotifierHostRegistered"_s;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        // A watcher that does not say is taken to have a host.
        setState(registered_, reply.isError() || reply.value().variant().toBool());
    });
}

void StatusNotifierItem::setState(bool registered, bool host) {
    const bool before = shown();
    registered_ = registered;
    hostPresent_ = host;
    if (shown() != before)
        emit shownChanged(shown());
}
