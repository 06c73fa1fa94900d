#pragma once

#include "widget/entry.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QImage;
class QPainter;
class QPalette;

// The two sizes a widget comes in.
enum class Family { Small, Medium };

// The widget's colours on a dark desktop, whatever the desktop's own.
QPalette darkPalette();

// "small" or "medium"; absent for anything else.
std::optional<Family> familyNamed(const QString& name);
QSizeF familySize(Family f);

// One drawn piece of the widget and what it stands for.
struct Item {
    enum class Role {
        Message,   // "Uruchom Tarnwick" when there is no snapshot
        Title,     // "Tarnwick" in the header
        ExitIcon,  // traffic leaves through an exit node
        PhoneIcon, // tethered to a phone hotspot
        BigMs,     // the first host's ping, large
        MsUnit,    // "ms" beside it
        FirstName, // the first host's name under it
        Dot,       // a list row's ping colour
        RowName,   // a list row's host name
        RowMs,     // a list row's ping
        Down,      // download rate
        Up,        // upload rate
        Hotspot,   // hotspot data used today
        Age,       // how old the snapshot is
    };
    Role role = Role::Message;
    QRectF rect;
    QString text;
    QFont font;
    QColor color;
    qreal baseline = 0;
};

// The widget: one entry drawn at one family's size.
struct WidgetView {
    Family family = Family::Small;
    Entry e;

    // Every piece in widget coordinates, drawn in the palette's colours; ages are measured at `now`.
    QList<Item> layout(const QPalette& p, Timestamp now) const;
    // The rounded background and every piece, at the painter's origin.
    void paint(QPainter& painter, const QPalette& p, Timestamp now) const;
    // A transparent image of the widget, `scale` device pixels per point.
    QImage render(const QPalette& p, Timestamp now, qreal scale = 1) const;
};
