#include "cli/console.h"
#include "cli/options.h"
#include "cli/snapshot_test.h"
#include "core/globals.h"
#include "platform/platform.h"

#include <QTextStream>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const Options o = parseOptions(arguments);
    QTextStream out(stdout);
    if (!o.error.isEmpty()) {
        QTextStream(stderr) << o.error << Qt::endl;
        return 2;
    }
    switch (o.mode) {
    case Options::Mode::SnapshotTest:
        snapshotTest(out);
        return 0;
    case Options::Mode::Unregister:
        if (const auto error = platform::login::disable())
            out << "unregister: " << *error << Qt::endl;
        else
            out << "unregistered" << Qt::endl;
        return 0;
    case Options::Mode::Help:
        out << usage();
        return 0;
    case Options::Mode::Version:
        out << "Tarnwick " << version() << " b" << build() << Qt::endl;
        return 0;
    case Options::Mode::Watch:
    case Options::Mode::Start:
        // Until the tray program exists, the normal start is the console readout.
        return runConsole(argc, argv, o.hosts);
    }
    return 0;
}
