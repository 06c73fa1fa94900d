#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The symbols the views draw, by their short names ("wifi", "pin.fill", "personalhotspot", …): the icon
// theme's icon when the theme has one, else the one drawn for this program.
QIcon symbol(const QString& name);

// The symbol's shape in one colour, `size` device-independent pixels square at `dpr`.
QPixmap symbolPixmap(const QString& name, int size, const QColor& tint, qreal dpr = 1.0);
