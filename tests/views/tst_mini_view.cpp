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

    int opened = 0;
    int closed = 0;
    MiniView view;
};

Tailnet withExit(const QString& state, bool direct) {
    Tailnet t;
    t.state = state;
    t.exitName = u"nl-exit"_s;
    t.exitDirect = direct;
    t.exitRelay = u"ams"_s;
    t.exitPing = 38.4;
    return t;
}

} // namespace

class TestMiniView : public QObject {
    Q_OBJECT

private slots:
    void hostTime_data();
    void hostTime();
    void noHosts();
    void exitNode_data();
    void exitNode();
    void header_data();
    void header();
    void connectionLine();
    void pointer();
    void escapeCloses();
    void ticksOnlyWhileShown();

private:
    TempHome home_;
};

void TestMiniView::hostTime_data() {
    QTest::addColumn<std::optional<double>>("ms");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::newRow("exactly 200 ms") << std::optional(200.0) << u"200 ms"_s << false;
    QTest::newRow("just above 200 ms") << std::optional(200.1) << u"200 ms"_s << true;
    QTest::newRow("lost") << std::optional<double>() << u"x"_s << true;
}

void TestMiniView::hostTime() {
    QFETCH(std::optional<double>, ms);
    QFETCH(QString, text);
    QFETCH(bool, red);
    Scenario s({u"127.0.0.1"_s}, {{u"127.0.0.1"_s, u"Router"_s}});
    s.step({20.0});
    s.step({ms});
    Host h(s);
    QCOMPARE(h.label(u"miniHostName"_s)->text(), u"Router"_s);
    Label* time = h.label(u"miniHostTime"_s);
    QCOMPARE(time->text(), text);
    QCOMPARE(time->color(), red ? colors::red : h.view.palette().color(QPalette::WindowText));
    // What is drawn, not only what is set: the value's box holds red pixels exactly when it should.
    const QImage image = time->grab().toImage();
    bool redPixel = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            redPixel = redPixel || (c.red() > 200 && c.green() < 120 && c.blue() < 120);
        }
    }
    QCOMPARE(redPixel, red);
}

void TestMiniView::noHosts() {
    auto s = emptyScenario();
    Host h(*s);
    QVERIFY(h.view.findChildren<QWidget*>(u"miniHost"_s).isEmpty());
    QCOMPARE(h.label(u"miniDown"_s)->text(), u"↓ 52 KB/s"_s);
    QCOMPARE(h.label(u"miniUp"_s)->text(), u"↑ 8 KB/s"_s);
    QCOMPARE(h.label(u"miniPeaks"_s)->text(), u"szczyt ↓ 52 KB/s  ↑ 8 KB/s"_s);
    QVERIFY(h.label(u"miniConnection"_s)->isVisible());
    QVERIFY(!h.label(u"miniExit"_s)->isVisible());
}

void TestMiniView::exitNode_data() {
    QTest::addColumn<std::optional<Tailnet>>("tailnet");
    QTest::addColumn<bool>("badge");
    QTest::addColumn<QString>("line"); // empty when hidden
    Tailnet direct = withExit(u"Running"_s, true);
    direct.exitPing.reset();
    Tailnet none = withExit(u"Running"_s, false);
    none.exitName.reset();
    QTest::newRow("running, relayed") << std::optional(withExit(u"Running"_s, false)) << true
                                      << u"nl-exit · DERP ams · 38 ms"_s;
    QTest::newRow("running, direct, no answer") << std::optional(direct) << true << u"nl-exit · direct · x"_s;
    QTest::newRow("not running") << std::optional(withExit(u"Stopped"_s, false)) << false
                                 << u"nl-exit · DERP ams · 38 ms"_s;
    QTest::newRow("no exit node") << std::optional(none) << false << QString();
    QTest::newRow("no status") << std::optional<Tailnet>() << false << QString();
}

void TestMiniView::exitNode() {
    QFETCH(std::optional<Tailnet>, tailnet);
    QFETCH(bool, badge);
    QFETCH(QString, line);
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

void TestMiniView::header_data() {
    QTest::addColumn<std::shared_ptr<Scenario>>("scenario");
    QTest::newRow("usual exit-node name") << std::shared_ptr<Scenario>(overviewScenario());
    QTest::newRow("30-character name") << std::shared_ptr<Scenario>(longExitScenario());
}

// Hovered, with the close button shown: the rates keep their natural width, the exit node's name alone gives
// way and stays clear of the button, and nothing widens the view.
void TestMiniView::header() {
    QFETCH(std::shared_ptr<Scenario>, scenario);
    Host h(*scenario);
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), QPointF(20, 20));
    QCoreApplication::sendEvent(&h.view, &enter);
    h.view.adjustSize();
    QCOMPARE(h.view.width(), 260);
    for (const QString& name : {u"miniDown"_s, u"miniUp"_s})
        QCOMPARE(h.label(name)->width(), h.label(name)->sizeHint().width());
    const Label* badge = h.label(u"miniExitBadge"_s);
    const auto* close = h.view.findChild<SymbolButton*>(u"miniClose"_s);
    QVERIFY(badge->isVisible() && close->isVisible());
    QVERIFY(badge->mapTo(&h.view, QPoint(badge->width(), 0)).x() <= close->x());
}

void TestMiniView::connectionLine() {
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

void TestMiniView::pointer() {
    auto s = emptyScenario();
    Host h(*s);
    auto* close = h.view.findChild<SymbolButton*>(u"miniClose"_s);
    QVERIFY(!close->isVisible());
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), QPointF(20, 20));
    QCoreApplication::sendEvent(&h.view, &enter);
    QVERIFY(close->isVisible());
    QVERIFY(close->geometry().right() >= h.view.width() - 6 && close->y() <= 6);
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(h.closed, 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&h.view, &leave);
    QVERIFY(!close->isVisible());

    QTest::mouseClick(&h.view, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(h.opened, 0);
    QTest::mouseDClick(&h.view, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(h.opened, 1);
    QCOMPARE(h.closed, 1);
}

void TestMiniView::escapeCloses() {
    auto s = emptyScenario();
    Host h(*s);
    h.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.view));
    QTest::keyClick(&h.view, Qt::Key_Escape);
    QCOMPARE(h.closed, 1);
}

void TestMiniView::ticksOnlyWhileShown() {
    auto s = overviewScenario();
    Host h(*s);
    auto* timer = h.view.findChild<QTimer*>();
    QVERIFY(timer->isActive());
    Label* age = h.label(u"miniAge"_s);
    const QString before = age->text();
    h.view.hide();
    QVERIFY(!timer->isActive());
    // A hidden view takes no updates; showing it again catches up with the model and the clock.
    s->clock().advance(Seconds(600));
    s->step({1.0, 2.0, 3.0});
    QCOMPARE(h.label(u"miniHostTime"_s)->text(), u"3 ms"_s);
    h.view.show();
    QVERIFY(timer->isActive());
    QVERIFY(age->text() != before);
    QCOMPARE(h.view.findChildren<Label*>(u"miniHostTime"_s).at(1)->text(), u"2 ms"_s);
}

QTEST_MAIN(TestMiniView)
#include "tst_mini_view.moc"
