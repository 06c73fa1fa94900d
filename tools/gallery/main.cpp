#include "advanced_sheet.h"
#include "scenarios.h"
#include "sheets.h"

#include "platform/platform.h"
#include "shell/bar_image.h"
#include "shell/login_item.h"
#include "support/temp_home.h"
#include "views/about_window.h"
#include "views/glass.h"
#include "views/mini_view.h"
#include "views/panel.h"
#include "views/settings_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QIcon>
#include <QPainter>
#include <QVBoxLayout>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int panelWidth = 340;

// A desktop-like backdrop, so the translucent windows are judged as they will be seen.
class Stage final : public QWidget {
public:
    explicit Stage(std::unique_ptr<QWidget> view) {
        setAttribute(Qt::WA_DontShowOnScreen);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(28, 28, 28, 28);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(view.release());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        QLinearGradient g(0, 0, width(), height());
        g.setColorAt(0, dark ? QColor(0x1b, 0x26, 0x45) : QColor(0xb9, 0xd4, 0xf2));
        g.setColorAt(1, dark ? QColor(0x3b, 0x1f, 0x4a) : QColor(0xf3, 0xc9, 0xd8));
        p.fillRect(rect(), g);
    }
};

QImage shoot(std::unique_ptr<QWidget> view, const std::function<void(QWidget&)>& prepare = {}) {
    QWidget* shown = view.get();
    Stage stage(std::move(view));
    stage.show();
    if (prepare)
        prepare(*shown);
    stage.adjustSize();
    QPixmap pixmap(stage.size() * 2);
    pixmap.setDevicePixelRatio(2);
    stage.render(&pixmap);
    return pixmap.toImage();
}

std::unique_ptr<QWidget> onGlass(std::unique_ptr<QWidget> view) {
    auto glass = std::make_unique<Glass>(16);
    auto* layout = new QVBoxLayout(glass.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(view.release());
    return glass;
}

// The panel on `s`; `prepare` runs on it once shown. The lines the showing adds or hides are laid out before the
// shot, as the event loop would.
QImage panel(Scenario& s, const std::function<void(QWidget&)>& prepare = {}) {
    return shoot(onGlass(std::make_unique<Panel>(s.m(), s.prefs(), s.ps(), panelWidth, [](const QString&) {})),
                 [prepare](QWidget& w) {
                     if (prepare)
                         prepare(w);
                     QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                 });
}

QImage mini(Scenario& s, bool hover) {
    auto view = std::make_unique<MiniView>(
        s.m(), [] {}, [] {});
    view->setClock(s.clock());
    return shoot(std::move(view), [hover](QWidget& w) {
        if (!hover)
            return;
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QCoreApplication::sendEvent(&w, &enter);
    });
}

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x26, 0x26, 0x29));
    p.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
    p.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
    p.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf5));
    p.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
    p.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf2, 0xf5));
    return p;
}

struct Page {
    QString name;
    std::function<QImage()> render;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The renders are the same whoever makes them: Polish, Warsaw time.
    qputenv("TZ", "Europe/Warsaw");
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // The scenarios write the widget snapshot; it goes to a throw-away home.
    TempHome home;
    QApplication app(argc, argv);
    // Without a theme the bundled drawings show; with one, the symbols the theme has.
    const bool themed = argc == 4 && qstrcmp(argv[2], "--icon-theme") == 0;
    if (argc != 2 && !themed) {
        std::fprintf(stderr, "usage: tarnwick-gallery OUTDIR [--icon-theme NAME]\n");
        return 2;
    }
    if (themed)
        QIcon::setThemeName(QString::fromLocal8Bit(argv[3]));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    const QList<Page> pages{
        {u"panel-overview"_s, [] { return panel(*overviewScenario()); }},
        {u"panel-host"_s, [] { return panel(*historyScenario()); }},
        {u"panel-host-day"_s,
         [] {
             return panel(*dayScenario(), [](QWidget& w) { w.findChild<QAbstractButton*>(u"range-24h"_s)->click(); });
         }},
        {u"panel-empty"_s, [] { return panel(*emptyScenario()); }},
        {u"panel-five-hosts"_s, [] { return panel(*crowdedScenario()); }},
        {u"panel-five-hosts-last"_s,
         [] {
             auto s = crowdedScenario();
             s->prefs().setTab(u"127.0.10.5"_s);
             return panel(*s);
         }},
        {u"panel-steady-1500"_s, [] { return panel(*steadyScenario()); }},
        {u"mini"_s, [] { return mini(*overviewScenario(), false); }},
        {u"mini-hover"_s, [] { return mini(*overviewScenario(), true); }},
        {u"mini-empty"_s, [] { return mini(*emptyScenario(), false); }},
        {u"mini-long-exit-hover"_s, [] { return mini(*longExitScenario(), true); }},
        {u"chart-quality-bar"_s, [] { return shoot(qualityBarSheet()); }},
        {u"chart-bars"_s, [] { return shoot(barsSheet()); }},
        {u"chart-sparkline"_s, [] { return shoot(sparklineSheet()); }},
        {u"panel-advanced"_s,
         [] {
             auto s = overviewScenario();
             s->prefs().setAdvanced(true);
             auto view = std::make_unique<Panel>(s->m(), s->prefs(), s->ps(), panelWidth, [](const QString&) {});
             // The advanced view sizes itself from its measured content, and the panel then follows it: a few
             // rounds of layout.
             return shoot(onGlass(std::move(view)), [](QWidget&) {
                 for (int round = 0; round < 4; ++round)
                     QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
             });
         }},
        {u"advanced-empty"_s, [] { return shoot(onGlass(advancedSheet(DetailFacts{}))); }},
        {u"advanced-laptop"_s, [] { return shoot(onGlass(advancedSheet(laptopFacts()))); }},
        {u"advanced-long"_s, [] { return shoot(onGlass(advancedSheet(longFacts()))); }},
        {u"advanced-stale"_s, [] { return shoot(onGlass(advancedSheet(staleFacts()))); }},
        {u"settings"_s,
         [] {
             auto s = overviewScenario();
             return shoot(std::make_unique<SettingsWindow>(
                              s->m(), s->prefs(), [](const QString&) {}, systemLoginItem()),
                          [](QWidget&) { QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest); });
         }},
        {u"about"_s,
         [] { return shoot(std::make_unique<AboutWindow>(platform::systemName(), [](const QString&) {})); }},
        {u"bar-no-answer-1x"_s, [] { return BarImage().barImage(0, 0, {}, {}, 1, QApplication::palette()); }},
        {u"bar-exit-2x"_s,
         [] {
             return BarImage().barImage(1.234e6, 56e3, 42, {true, false}, 2, QApplication::palette());
         }},
        {u"bar-alarm-2x"_s, [] { return BarImage().barImage(150e6, 3e6, 200.4, {}, 2, QApplication::palette()); }},
    };

    const QPalette light = QApplication::palette();
    const QList<std::pair<QString, QPalette>> passes{{u"light"_s, light}, {u"dark"_s, darkPalette()}};
    int failed = 0;
    for (const auto& [suffix, palette] : passes) {
        QApplication::setPalette(palette);
        for (const Page& page : pages) {
            const QString file = out.filePath(page.name + u'-' + suffix + u".png"_s);
            if (!page.render().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                ++failed;
            }
        }
    }
    return failed ? 1 : 0;
}
