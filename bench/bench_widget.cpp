// Times one widget render per family: reading the snapshot file, laying it out and painting it.
#include "support/temp_home.h"
#include "widget/provider.h"
#include "widget/widget_view.h"

#include "figures.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;

using namespace bench;

namespace {

Snapshot busy() {
    Snapshot s;
    s.time = std::chrono::system_clock::now();
    s.down = 2'345'678;
    s.up = 123'456;
    for (int i = 0; i < 6; ++i)
        s.hosts.append({u"127.0.0.%1"_s.arg(i + 1), u"host %1"_s.arg(i + 1), 12.5 * i});
    s.exit = u"exit"_s;
    s.hotspot = true;
    s.hotspotToday = 123'456'789;
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const TempHome home;
    QGuiApplication app(argc, argv);
    busy().write();
    QTextStream out(stdout);
    const int runs = 2000;
    const QPalette palette = QGuiApplication::palette();
    for (const Family f : {Family::Small, Family::Medium}) {
        QImage image(familySize(f).toSize(), QImage::Format_ARGB32_Premultiplied);
        const QString name = f == Family::Small ? u"small"_s : u"medium"_s;
        print(out, u"%1: read file, lay out, paint (x%2)"_s.arg(name).arg(runs), time(runs, [&] {
                  Provider().getTimeline(std::chrono::system_clock::now(), [&](const Timeline& t) {
                      image.fill(Qt::transparent);
                      QPainter p(&image);
                      WidgetView{f, t.entries.first()}.paint(p, palette, std::chrono::system_clock::now());
                  });
              }));
    }
    return 0;
}
