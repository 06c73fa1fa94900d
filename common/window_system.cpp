#include "common/window_system.h"

#include "common/sway.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace windowSystem {

void choose() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool placesWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool overXwayland() {
    // Xwayland names its outputs so; older releases have no extension that would say it.
    const QList<QScreen*> screens = QGuiApplication::screens();
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           std::any_of(screens.cbegin(), screens.cend(),
                       [](const QScreen* s) { return s->name().startsWith(QLatin1String("XWAYLAND")); });
}

bool managerMovesWindows() {
    return sway::running() && overXwayland();
}

} // namespace windowSystem
