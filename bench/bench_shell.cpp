// The tray program's interactive costs on a real display: a click on the tray icon until the popover has
// painted, and the bar image drawn once per refresh. Also renders the bar image's states to PNG files for
// review. Run it under an X server with a system tray (scripts/bench-shell does).
//   bench_shell OUTDIR

#include "shell/app.h"
#include "shell/bar_image.h"
#include "shell/popover.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Notes the first paint of any widget in one window.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWidget* window)
        : window_(window) {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == window_)
            painted = true;
        return false;
    }

private:
    QWidget* window_;
};

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Every state of the bar image in a column, at both pixel ratios.
void renderBars(const QDir& out) {
    const BarImage bar;
    QImage phone(16, 24, QImage::Format_ARGB32_Premultiplied);
    phone.fill(Qt::transparent);
    {
        QPainter p(&phone);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(1, 0, 14, 24), 3, 3);
    }
    const BarImage withPhone(phone);
    struct State {
        double down, up;
        std::optional<double> ms;
        BarMarks marks;
    };
    const QList<State> states{{0, 0, std::nullopt, {}},
                              {1'234'000, 56'000, 12.0, {}},
                              {99'900'000, 999'000, 200.0, {}},
                              {150'000'000, 3'000'000, 200.4, {}},
                              {12'000, 4000, 1500.0, {true, false}},
                              {480'000, 22'000, 38.0, {false, true}},
                              {480'000, 22'000, 38.0, {true, true}}};
    for (const auto& [name, palette] :
         {std::pair{u"light"_s, QPalette(Qt::white)}, std::pair{u"dark"_s, QPalette(QColor(0x30, 0x30, 0x30))}}) {
        for (const qreal dpr : {1.0, 2.0}) {
            const QSizeF cell = withPhone.barSize() + QSizeF(16, 8);
            QImage sheet((QSizeF(cell.width() + 90, cell.height() * states.size()) * dpr).toSize(),
                         QImage::Format_ARGB32_Premultiplied);
            sheet.setDevicePixelRatio(dpr);
            sheet.fill(palette.color(QPalette::Window));
            QPainter p(&sheet);
            for (int i = 0; i < states.size(); ++i) {
                const State& s = states[i];
                const BarImage& b = s.marks.hotspot ? withPhone : bar;
                p.drawImage(QPointF(8, 4 + i * cell.height()), b.barImage(s.down, s.up, s.ms, s.marks, dpr, palette));
                const QImage square = b.trayImage(s.ms, s.marks, 22);
                p.drawImage(QRectF(cell.width() + 8, 4 + i * cell.height(), 22, 22), square);
            }
            p.end();
            sheet.save(out.filePath(u"bar-%1-%2x.png"_s.arg(name).arg(int(dpr))));
        }
    }
    std::printf("bar image %gx%g (colW %g, pingW %g)\n", bar.barSize().width(), bar.barSize().height(), bar.colW(),
                bar.pingW());
}

} // namespace

int main(int argc, char** argv) {
    TempHome home;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"shell-bench"_s);
    QDir().mkpath(out.path());
    renderBars(out);

    const BarImage bar;
    QElapsedTimer t;
    t.start();
    const int draws = 2000;
    for (int i = 0; i < draws; ++i)
        bar.barImage(i * 1000.0, i * 10.0, i % 300, {}, 2.0, QPalette());
    std::printf("bar image at 2x: %.1f us per drawing\n", t.nsecsElapsed() / 1000.0 / draws);

    App::Deps deps;
    deps.monitor.hosts = QStringList{u"127.0.0.1"_s, u"::1"_s, u"localhost"_s};
    App app(std::move(deps));
    app.launch();
    QList<double> clicks;
    for (int i = 0; i < 15; ++i) {
        PaintWatch watch(&app.popover());
        t.restart();
        app.toggle();
        while (!watch.painted && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        clicks.append(t.nsecsElapsed() / 1e6);
        app.toggle();
        for (int k = 0; k < 20; ++k)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::printf("popover click to first paint: median %.1f ms, worst %.1f ms (%lld clicks)\n", median(clicks),
                *std::max_element(clicks.cbegin(), clicks.cend()), static_cast<long long>(clicks.size()));
    return 0;
}
