#include "cli/console.h"

#include "cli/watch.h"
#include "core/hotspot_usage.h"

#include <QCoreApplication>
#include <QTextStream>

int runConsole(int& argc, char** argv, Monitor::Deps deps) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    Monitor m(std::move(deps));
    Watch watch(m, out);
    const auto end = [&m] {
        m.usage().save();
        QCoreApplication::quit();
    };
    platform::onTermination(&app, end);
    QObject::connect(&watch, &Watch::outputClosed, &app, end);
    m.refresh();
    m.start();
    return app.exec();
}
