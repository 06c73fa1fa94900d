#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QString>
#include <QVariantMap>

class QImage;

// One icon bitmap as status notifier hosts take it: ARGB32 in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniPixmaps = QList<SniPixmap>;

SniPixmap sniPixmap(const QImage& image);

struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString text;
};

// A menu entry and, when asked, its children: each child a variant holding another layout.
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QVariantList children;
};

struct MenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

struct MenuItemKeys {
    int id = 0;
    QStringList keys;
};
using MenuItemKeysList = QList<MenuItemKeys>;

struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p);
const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p);
QDBusArgument& operator<<(QDBusArgument& a, const SniToolTip& t);
const QDBusArgument& operator>>(const QDBusArgument& a, SniToolTip& t);
QDBusArgument& operator<<(QDBusArgument& a, const MenuLayout& l);
const QDBusArgument& operator>>(const QDBusArgument& a, MenuLayout& l);
QDBusArgument& operator<<(QDBusArgument& a, const MenuItemProperties& p);
const QDBusArgument& operator>>(const QDBusArgument& a, MenuItemProperties& p);
QDBusArgument& operator<<(QDBusArgument& a, const MenuItemKeys& k);
const QDBusArgument& operator>>(const QDBusArgument& a, MenuItemKeys& k);
QDBusArgument& operator<<(QDBusArgument& a, const MenuEvent& e);
const QDBusArgument& operator>>(const QDBusArgument& a, MenuEvent& e);

// Makes the types above known to Qt's D-Bus layer; safe to call more than once.
void registerSniTypes();

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)
Q_DECLARE_METATYPE(MenuLayout)
Q_DECLARE_METATYPE(MenuItemProperties)
Q_DECLARE_METATYPE(MenuItemKeys)
Q_DECLARE_METATYPE(MenuEvent)
