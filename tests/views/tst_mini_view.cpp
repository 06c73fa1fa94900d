#include "scenarios.h"

#include "common/texts.h"
#include "support/temp_home.h"
#include "views/label.h"
#include "views/mini_view.h"
#include "views/symbol_button.h"

#include <QEnterEvent>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A mini view on a scenario, counting how often it asked to open and to close.
struct Host {
    explicit Host(Scenario& s)
        : view(
              s.m(), [this] { ++opened; }, [this] { ++closed; }) {
        view.setClock(s.clock());
        view.show();
    }
    Label* label(const QString& name) const { return view.findChild<Label*>(name); }
    void enter() {
        QEnterEvent event(QPointF(20, 20), QPointF(20, 20), QPointF(20, 20));
        QCoreApplication::sendEvent(&view, &event);
    }

    int opened = 0;
    int closed = 0;
    MiniView view;
};

Tailnet withExit(const QString& state, bool direct, std::optional<double> ping = 38.4) {
    Tailnet t;
    t.state = state;
    t.exitName = u"nl-exit"_s;
    t.exitDirect = direct;
    t.exitRelay = u"ams"_s;
    t.exitPing = ping;
    return t;
}

} // namespace

class TestMiniView : public QObject {
    Q_OBJECT

    TempHome home_;

private slots:
    // The host's name and its last time, x when lost.
    void hostTime() {
        const std::pair<std::optional<double>, QString> rows[] = {{200.0, u"200 ms"_s}, {std::nullopt, u"x"_s}};
        for (const auto& [ms, text] : rows) {
            Scenario s({u"127.0.0.1"_s}, {{u"127.0.0.1"_s, u"Router"_s}});
            s.step({20.0});
            s.step({ms});
            Host h(s);
            QCOMPARE(h.label(u"miniHostName"_s)->text(), u"Router"_s);
            QCOMPARE(h.label(u"miniHostTime"_s)->text(), text);
        }
    }

    void noHosts() {
        auto s = emptyScenario();
        Host h(*s);
        QVERIFY(h.view.findChildren<QWidget*>(u"miniHost"_s).isEmpty());
        QCOMPARE(h.label(u"miniDown"_s)->text(), u"↓ 52 KB/s"_s);
        QCOMPARE(h.label(u"miniUp"_s)->text(), u"↑ 8 KB/s"_s);
        QCOMPARE(h.label(u"miniPeaks"_s)->text(), u"szczyt ↓ 52 KB/s  ↑ 8 KB/s"_s);
        QVERIFY(h.label(u"miniConnection"_s)->isVisible());
        QVERIFY(!h.label(u"miniExit"_s)->isVisible());
    }

    // The badge shows while Tailscale runs through an exit node; the line whenever one is named.
    void exitNode() {
        Tailnet none = withExit(u"Running"_s, false);
        none.exitName.reset();
        const std::tuple<std::optional<Tailnet>, bool, QString> rows[] = {
            {withExit(u"Running"_s, false), true, u"nl-exit · DERP ams · 38 ms"_s},
            {withExit(u"Running"_s, true, std::nullopt), true, u"nl-exit · direct · x"_s},
            {withExit(u"Stopped"_s, false), false, u"nl-exit · DERP ams · 38 ms"_s},
            {none, false, QString()}};
        for (const auto& [tailnet, badge, line] : rows) {
            Scenario s({});
            s.setTailnet(tailnet);
            s.step({});
            Host h(s);
            QCOMPARE(h.label(u"miniExitBadge"_s)->isVisible(), badge);
            if (badge)
                QCOMPARE(h.label(u"miniExitBadge"_s)->text(), u"nl-exit"_s);
            QCOMPARE(h.label(u"miniExit"_s)->isVisible(), !line.isEmpty());
            if (!line.isEmpty())
                QCOMPARE(h.label(u"miniExit"_s)->text() + h.label(u"miniExit"_s)->tail(), line);
        }
    }

    void connectionLine() {
        Scenario s({});
        s.net().link.ssid = u"Dom"_s;
        s.traffic(u"wlan0"_s, u"192.168.1.20"_s, 0, 0);
        s.step({});
        Host h(s);
        Label* line = h.label(u"miniConnection"_s);
        QCOMPARE(line->text(), u"Wi-Fi Dom"_s);
        QCOMPARE(line->symbolName(), u"wifi"_s);
        // Tethering with nothing counted yet today.
        s.traffic(u"wlan0"_s, u"172.20.10.2"_s, 0, 0);
        s.step({});
        QCOMPARE(line->text(), u"hotspot iPhone · "_s + byteCount(0) + u" dziś"_s);
        QCOMPARE(line->symbolName(), u"personalhotspot"_s);
    }

    // The close button shows while hovered and closes; a double click, not a single one, opens the
    // panel.
    void clicks() {
        auto s = emptyScenario();
        Host h(*s);
        auto* close = h.view.findChild<SymbolButton*>(u"miniClose"_s);
        QVERIFY(!close->isVisible());
        h.enter();
        QVERIFY(close->isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
        QCOMPARE(h.closed, 1);
        QTest::mouseClick(&h.view, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(h.opened, 0);
        QTest::mouseDClick(&h.view, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(h.opened, 1);
        QCOMPARE(h.closed, 1);
    }
};

QTEST_MAIN(TestMiniView)
#include "tst_mini_view.moc"
