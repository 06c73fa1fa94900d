// Times one widget render per family: reading the snapshot file, laying it out and painting it.
#include "support/temp_home.h"
#include "widget/provider.h"
#include "widget/widget_view.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Micro = std::chrono::duration<double, std::micro>;

struct Figures {
    double median, p99, max;
};

template <typename F> Figures time(int runs, F&& f) {
    std::vector<double> us;
    us.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        us.push_back(Micro(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100], us.back()};
}

void print(QTextStream& out, const QString& what, const Figures& f) {
    out << what.leftJustified(44)
        << u"median %1 µs   p99 %2 µs   max %3 µs"_s.arg(f.median, 0, 'f', 1)
               .arg(f.p99, 0, 'f', 1)
               .arg(f.max, 0, 'f', 1)
        << Qt::endl;
}

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
