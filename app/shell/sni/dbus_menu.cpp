#include "shell/sni/dbus_menu.h"

#include <QAction>
#include <QTimer>

using namespace Qt::StringLiterals;

DBusMenu::DBusMenu(QObject* parent)
    : QObject(parent) {}

void DBusMenu::setActions(const QList<QAction*>& actions) {
    for (const QPointer<QAction>& a : std::as_const(actions_)) {
        if (a)
            disconnect(a, nullptr, this, nullptr);
    }
    actions_.clear();
    for (QAction* a : actions) {
        actions_.append(a);
        connect(a, &QAction::changed, this, &DBusMenu::changed);
    }
    changed();
}

void DBusMenu::changed() {
    ++revision_;
    emit layoutUpdated(revision_, 0);
}

QAction* DBusMenu::action(int id) const {
    return id >= 1 && id <= actions_.size() ? actions_[id - 1].data() : nullptr;
}

QVariantMap DBusMenu::properties(int id, const QStringList& names) const {
    QVariantMap all;
    if (id == 0) {
        all[u"children-display"_s] = u"submenu"_s;
    } else if (const QAction* a = action(id)) {
        if (a->isSeparator()) {
            all[u"type"_s] = u"separator"_s;
        } else {
            // Underscores mark mnemonics in this protocol; ours are literal.
            all[u"label"_s] = QString(a->text()).remove(u'&').replace(u'_', u"__"_s);
            all[u"enabled"_s] = a->isEnabled();
        }
        all[u"visible"_s] = a->isVisible();
    }
    if (names.isEmpty())
        return all;
    QVariantMap wanted;
    for (const QString& n : names) {
        if (all.contains(n))
            wanted[n] = all[n];
    }
    return wanted;
}

MenuLayout DBusMenu::layout(int parent, int depth, const QStringList& names) const {
    MenuLayout l{parent, properties(parent, names), {}};
    if (parent != 0 || depth == 0)
        return l;
    for (int id = 1; id <= actions_.size(); ++id) {
        if (action(id))
            l.children.append(QVariant::fromValue(layout(id, depth - 1, names)));
    }
    return l;
}

bool DBusMenu::event(int id, const QString& eventId) {
    QAction* a = action(id);
    if (!a)
        return false;
    if (eventId == u"clicked"_s) {
        // The host waits for the call to return; the action may open windows and must not block it.
        QTimer::singleShot(0, a, [a] { a->trigger(); });
    }
    return true;
}

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenu* menu)
    : QDBusAbstractAdaptor(menu)
    , menu_(menu) {
    registerSniTypes();
    connect(menu, &DBusMenu::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                MenuLayout& layout) {
    layout = menu_->layout(parentId, recursionDepth, propertyNames);
    return menu_->revision();
}

MenuItemPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames) {
    MenuItemPropertiesList list;
    for (const int id : ids)
        list.append({id, menu_->properties(id, propertyNames)});
    return list;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
    return QDBusVariant(menu_->properties(id, {name}).value(name));
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    menu_->event(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const MenuEventList& events) {
    QList<int> errors;
    for (const MenuEvent& e : events) {
        if (!menu_->event(e.id, e.eventId))
            errors.append(e.id);
    }
    return errors;
}

bool DBusMenuAdaptor::AboutToShow(int) {
    return false;
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>&, QList<int>&) {
    return {};
}
