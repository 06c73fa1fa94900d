#include "scenarios.h"

#include "support/temp_home.h"
#include "views/mini_view.h"
#include "views/panel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int frames = 400;

// Renders `view` again and again and prints the median and the 99th percentile of one frame.
void measure(const char* name, QWidget& view, double target) {
    view.show();
    view.grab();
    QList<double> ms;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer t;
        t.start();
        view.grab();
        ms.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[frames / 2];
    const double p99 = ms[frames * 99 / 100];
    std::printf("%-22s median %6.3f ms  p99 %6.3f ms  target %.0f ms  %s\n", name, median, p99, target,
                median <= target ? "ok" : "SLOW");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TempHome home;
    QApplication app(argc, argv);
    const auto noActions = [](const QString&) {};

    auto overview = overviewScenario();
    Panel overviewPanel(overview->m(), overview->prefs(), overview->ps(), 340, noActions);
    measure("panel overview", overviewPanel, 4);

    auto history = historyScenario();
    Panel hostPanel(history->m(), history->prefs(), history->ps(), 340, noActions);
    measure("panel host, 150 pings", hostPanel, 4);

    auto day = dayScenario();
    Panel dayPanel(day->m(), day->prefs(), day->ps(), 340, noActions);
    dayPanel.findChild<QAbstractButton*>(u"range-24h"_s)->click();
    measure("panel host, 24 h", dayPanel, 4);

    MiniView mini(
        overview->m(), [] {}, [] {});
    mini.setClock(overview->clock());
    measure("mini view", mini, 2);
    return 0;
}
