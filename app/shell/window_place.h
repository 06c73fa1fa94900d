#pragma once

#include <QPoint>

class QWidget;

// Puts a top-level window's top-left corner at `topLeft`, by way of the compositor where it would not take
// the window there otherwise.
void placeWindow(QWidget& window, QPoint topLeft);
