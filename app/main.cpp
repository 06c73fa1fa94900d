#include "cli/console.h"
#include "cli/details.h"
#include "cli/history_report.h"
#include "cli/options.h"
#include "cli/snapshot_test.h"
#include "common/printable.h"
#include "core/globals.h"
#include "platform/platform.h"
#include "shell/start.h"

#include <QTextStream>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const Options o = parseOptions(arguments);
    for (const QString& host : o.refusedHosts)
        QTextStream(stderr) << "tarnwick: pominięty host \"" << printable(host)
                            << "\": nie może zaczynać się od \"-\" ani zawierać spacji ani znaków sterujących"
                            << Qt::endl;
    if (!o.error.isEmpty())
        return refuse(help(), o.error);
    // Every argument was ours: Qt gets the program name only.
    argc = 1;
    QTextStream out(stdout);
    Monitor::Deps run;
    run.hosts = o.hosts;
    run.metrics = o.metrics;
    switch (o.mode) {
    case Options::Mode::SnapshotTest:
        snapshotTest(out);
        return 0;
    case Options::Mode::Unregister:
        if (const auto error = platform::login::disable())
            out << "unregister: " << printable(*error) << Qt::endl;
        else
            out << "unregistered" << Qt::endl;
        return 0;
    case Options::Mode::Help:
        out << helpText(help());
        return 0;
    case Options::Mode::Version:
        out << "Tarnwick " << version() << " b" << build() << Qt::endl;
        return 0;
    case Options::Mode::History:
        return runHistory(argc, argv, o.hours, o.csv);
    case Options::Mode::Watch:
        return runConsole(argc, argv, std::move(run));
    case Options::Mode::Details:
        return runDetails(argc, argv, o.hosts);
    case Options::Mode::Start:
        // Without any display there is no tray to live in; the console readout serves instead.
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            return runConsole(argc, argv, std::move(run));
        return startApp(argc, argv, std::move(run));
    }
    return 0;
}
