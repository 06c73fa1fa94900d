#include "shell/window_place.h"

#include "common/sway.h"
#include "common/window_system.h"

#include <QWidget>

void placeWindow(QWidget& window, QPoint topLeft) {
    window.move(topLeft);
    if (windowSystem::managerMovesWindows())
        sway::place(*window.windowHandle(), topLeft);
}
