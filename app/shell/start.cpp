#include "shell/start.h"

#include "common/window_system.h"
#include "shell/app.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

// The artwork lives in a static library, whose resources register only when asked to.
static void loadArtwork() {
    Q_INIT_RESOURCE(art);
}

int startApp(int& argc, char** argv, Monitor::Deps monitor) {
    windowSystem::choose();
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Tarnwick"_s);
    QApplication::setOrganizationName(u"Tarnwick"_s);
    QApplication::setDesktopFileName(u"tarnwick"_s);
    loadArtwork();
    QApplication::setWindowIcon(QIcon(u":/tarnwick/tarnwick.svg"_s));
    // The program lives in the tray; closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    App::Deps deps;
    deps.monitor = std::move(monitor);
    App app(std::move(deps));
    app.launch();
    return application.exec();
}
