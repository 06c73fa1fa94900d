#pragma once

#include "shell/sni/dbus_types.h"

#include <QDBusAbstractAdaptor>
#include <QObject>
#include <QPointer>

class QAction;

// A list of actions exported as a menu over com.canonical.dbusmenu, which status notifier hosts draw
// themselves. Separators export as separators; a click triggers the action once the call has returned.
class DBusMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBusMenu)

public:
    explicit DBusMenu(QObject* parent = nullptr);

    void setActions(const QList<QAction*>& actions);
    uint revision() const { return revision_; }

    MenuLayout layout(int parent, int depth, const QStringList& names) const;
    QVariantMap properties(int id, const QStringList& names) const;
    // Triggers the entry for a "clicked" event; false when no entry has that id.
    bool event(int id, const QString& eventId);

signals:
    void layoutUpdated(uint revision, int parent);

private:
    QAction* action(int id) const;
    void changed();

    QList<QPointer<QAction>> actions_;
    uint revision_ = 1;
};

// The D-Bus face of a DBusMenu.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenu* menu);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, MenuLayout& layout);
    MenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const MenuEventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const MenuItemPropertiesList& updated, const MenuItemKeysList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    DBusMenu* menu_;
};
