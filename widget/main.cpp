#include "common/printable.h"
#include "common/window_system.h"
#include "widget/desktop_widget.h"
#include "widget/options.h"
#include "widget/provider.h"
#include "widget/status_line.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

Timestamp now() {
    return std::chrono::system_clock::now();
}

QStringList arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

int render(const Options& o, int argc, char** argv) {
    // Drawing into a file needs no screen: without one, Qt's offscreen platform does.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Provider provider;
    WidgetView view;
    view.family = o.family;
    if (o.placeholder)
        view.e = provider.placeholder(now());
    else
        provider.getSnapshot(now(), [&](const Entry& e) { view.e = e; });
    const QPalette palette = o.dark ? darkPalette() : QGuiApplication::palette();
    if (!view.render(palette, now(), o.scale).save(o.file, "PNG")) {
        std::fprintf(stderr, "tarnwick-widget: nie można zapisać %s\n", qPrintable(printable(o.file)));
        return 1;
    }
    return 0;
}

int status(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Provider().getSnapshot(now(), [](const Entry& e) {
        const QByteArray line = statusLine(e.snap, e.date) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    });
    return 0;
}

int show(const Options& o, int argc, char** argv) {
    windowSystem::choose();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(u"tarnwick-widget"_s);
    DesktopWidget widget(o.family);
    widget.show();
    return QGuiApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parseOptions(arguments(argc, argv));
    if (!o.error.isEmpty())
        return refuse(help(), o.error);
    // Every argument was ours: Qt gets the program name only.
    argc = 1;
    switch (o.mode) {
    case Options::Mode::Help:
        std::fputs(helpText(help()).toUtf8().constData(), stdout);
        return 0;
    case Options::Mode::Render:
        return render(o, argc, argv);
    case Options::Mode::Status:
        return status(argc, argv);
    case Options::Mode::Show:
        break;
    }
    return show(o, argc, argv);
}
