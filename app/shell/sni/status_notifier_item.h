#pragma once

#include "shell/sni/dbus_types.h"

#include <QDBusConnection>
#include <QObject>
#include <QPoint>

class DBusMenu;
class QAction;
class QDBusServiceWatcher;
class QImage;

// A tray icon spoken over D-Bus to whichever StatusNotifierWatcher the session has (KDE, GNOME's
// AppIndicator extension, Xfce, waybar). It registers again whenever a watcher appears, and reports the
// clicks with the coordinates the host gives. It knows nothing of what it shows.
class StatusNotifierItem final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusNotifierItem)

public:
    static const QString watcherService;

    StatusNotifierItem(const QString& id, const QString& title, QDBusConnection bus = QDBusConnection::sessionBus(),
                       QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Whether the session has a watcher at all.
    bool watcherPresent() const { return !watcherOwner_.isEmpty(); }
    // Whether a watcher took the item and a host is there to draw it.
    bool shown() const { return registered_ && hostPresent_; }

    // One bitmap per size; each host picks the one drawn for its size.
    void setIcons(const QList<QImage>& icons);
    void setToolTip(const QString& title, const QString& text);
    // The entries of the item's menu, in order.
    void setMenu(const QList<QAction*>& actions);

    QString id() const { return id_; }
    QString title() const { return title_; }
    const SniPixmaps& pixmaps() const { return pixmaps_; }
    const SniToolTip& toolTip() const { return toolTip_; }
    QString serviceName() const { return service_; }

signals:
    // A click (Activate) and a middle click (SecondaryActivate), where the host says it happened; a host
    // that does not know sends (0, 0).
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    // The host could not draw the menu and asks the item to.
    void contextMenuRequested(QPoint at);
    void scrolled(int delta, Qt::Orientation orientation);
    void shownChanged(bool shown);
    // Relayed to D-Bus by the adaptor.
    void newIcon();
    void newToolTip();

private slots:
    void askForHost();

private:
    void ownerChanged(const QString& owner);
    void registerWithWatcher();
    void setState(bool registered, bool host);

    friend class StatusNotifierItemAdaptor;
    QDBusConnection bus_;
    QString id_;
    QString title_;
    QString service_;
    SniPixmaps pixmaps_;
    SniToolTip toolTip_;
    DBusMenu* menu_;
    QDBusServiceWatcher* watcher_;
    QString watcherOwner_;
    bool registered_ = false;
    bool hostPresent_ = false;
};
