#include "core/panel_state.h"
#include "shell/placement.h"
#include "support/temp_home.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect display(0, 0, 1440, 900);
const QRect laptop(0, 25, 1440, 875); // usable area below a 25-pixel top bar
const QRect external(1440, 0, 1920, 1080);

using Screens = QList<QRect>;

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

    TempHome home;
    int files = 0;

    Preferences prefs() { return Preferences(home.config() + u"/p%1.conf"_s.arg(++files)); }

private slots:
    void keepOnScreen_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<std::optional<QRect>>("main");
        QTest::addColumn<QRect>("fixed");
        QTest::newRow("inside stays") << QRect(100, 200, 300, 400) << Screens{laptop} << std::optional(laptop)
                                      << QRect(100, 200, 300, 400);
        QTest::newRow("left display gone") << QRect(2500, 300, 260, 180) << Screens{laptop} << std::optional(laptop)
                                           << QRect(1440 - 260, 300, 260, 180);
        QTest::newRow("far below, pulled up")
            << QRect(50, 3000, 260, 180) << Screens{laptop} << std::optional(laptop) << QRect(50, 900 - 180, 260, 180);
        QTest::newRow("above the top") << QRect(50, -500, 260, 180) << Screens{laptop} << std::optional(laptop)
                                       << QRect(50, 25, 260, 180);
        QTest::newRow("taller than the screen")
            << QRect(10, 0, 340, 1200) << Screens{laptop} << std::optional(laptop) << QRect(10, 25, 340, 875);
        QTest::newRow("wider than the screen")
            << QRect(300, 100, 1600, 200) << Screens{laptop} << std::optional(laptop) << QRect(0, 100, 1600, 200);
        QTest::newRow("on the second screen") << QRect(3200, 900, 260, 180) << Screens{laptop, external}
                                              << std::optional(laptop) << QRect(3100, 900, 260, 180);
        QTest::newRow("first overlapping screen wins") << QRect(1400, 500, 100, 100) << Screens{laptop, external}
                                                       << std::optional(laptop) << QRect(1340, 500, 100, 100);
        QTest::newRow("no screen at all")
            << QRect(100, 100, 50, 50) << Screens{} << std::optional<QRect>() << QRect(0, 0, 50, 0);
    }
    void keepOnScreen() {
        QFETCH(QRect, frame);
        QFETCH(Screens, screens);
        QFETCH(std::optional<QRect>, main);
        QFETCH(QRect, fixed);
        QCOMPARE(placement::keepOnScreen(frame, screens, main), fixed);
    }

    void origins() {
        const QSize mini(260, 180);
        const QRect mf(placement::miniOrigin(laptop, mini), mini);
        // First run: bottom-left corner 280 left of the right edge and 260 below the top.
        QCOMPARE(mf.left(), 1440 - 280);
        QCOMPARE(mf.top() + mf.height(), 25 + 260);
        const QSize pinned(340, 620);
        const QRect pf(placement::pinnedOrigin(laptop, pinned), pinned);
        QCOMPARE(pf.left(), 1440 - 380);
        QCOMPARE(pf.top() + pf.height(), 25 + 700);
        // After a reset: top-left corner 20 below the top.
        QCOMPARE(placement::miniResetOrigin(laptop), QPoint(1440 - 280, 45));
        QCOMPARE(placement::pinnedResetOrigin(laptop), QPoint(1440 - 380, 45));
    }

    // The popover touches the panel that holds the icon, on whichever edge it is, and stays on screen.
    void popover_data() {
        QTest::addColumn<std::optional<QRect>>("anchor");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("expected");
        const QRect top(0, 30, 1440, 870);
        const QRect bottom(0, 0, 1440, 870);
        const QRect left(48, 0, 1392, 900);
        QTest::newRow("top panel, icon rectangle") << std::optional(QRect(1000, 3, 24, 24)) << top << QPoint(841, 30);
        QTest::newRow("top panel, point clicked") << std::optional(QRect(1000, 15, 1, 1)) << top << QPoint(830, 30);
        QTest::newRow("kept inside at the right edge")
            << std::optional(QRect(1420, 3, 20, 24)) << top << QPoint(1100, 30);
        QTest::newRow("bottom panel") << std::optional(QRect(1000, 880, 1, 1)) << bottom << QPoint(830, 370);
        QTest::newRow("left panel") << std::optional(QRect(10, 850, 24, 24)) << left << QPoint(48, 400);
        QTest::newRow("panel unknown: below an icon near the top")
            << std::optional(QRect(1000, 3, 24, 24)) << display << QPoint(841, 27);
        QTest::newRow("panel unknown: past the panel a point near the top implies")
            << std::optional(QRect(1000, 17, 1, 1)) << display << QPoint(830, 34);
        QTest::newRow("panel unknown: a point near the top-left corner is a top panel's")
            << std::optional(QRect(11, 17, 1, 1)) << display << QPoint(0, 34);
        QTest::newRow("panel unknown: a side panel's point")
            << std::optional(QRect(6, 500, 1, 1)) << display << QPoint(12, 250);
        QTest::newRow("panel unknown: above an icon near the bottom")
            << std::optional(QRect(1000, 876, 24, 24)) << display << QPoint(841, 376);
        QTest::newRow("no anchor, top panel") << std::optional<QRect>() << top << QPoint(1100, 30);
        QTest::newRow("no anchor, bottom panel") << std::optional<QRect>() << bottom << QPoint(1100, 370);
        QTest::newRow("no anchor, left panel") << std::optional<QRect>() << left << QPoint(48, 0);
        QTest::newRow("no anchor, no panel") << std::optional<QRect>() << display << QPoint(1100, 0);
    }
    void popover() {
        QFETCH(std::optional<QRect>, anchor);
        QFETCH(QRect, area);
        QFETCH(QPoint, expected);
        const QSize size(340, 500);
        const QPoint at = placement::popoverOrigin(anchor, size, display, area);
        QCOMPARE(at, expected);
        QVERIFY(area.contains(QRect(at, size)));
    }

    // Scrolling grows the advanced view until its content fits or the screen is full, and shrinks it back
    // when scrolled up at the top.
    void scroll_data() {
        QTest::addColumn<std::optional<double>>("screen");
        QTest::addColumn<double>("contentH");
        QTest::addColumn<double>("expand");
        QTest::addColumn<bool>("atTop");
        QTest::addColumn<double>("dy");
        QTest::addColumn<bool>("used");
        QTest::addColumn<double>("after");
        const auto tall = std::optional(1400.0);
        QTest::newRow("grows") << tall << 900.0 << 0.0 << true << -10.0 << true << 10.0;
        QTest::newRow("grows only until the content fits") << tall << 900.0 << 335.0 << true << -10.0 << true << 340.0;
        QTest::newRow("content fits: scrolls") << tall << 900.0 << 340.0 << true << -10.0 << false << 340.0;
        QTest::newRow("screen limit") << std::optional(1000.0) << 2000.0 << 100.0 << true << -300.0 << true << 140.0;
        QTest::newRow("small screen never grows")
            << std::optional(850.0) << 2000.0 << 0.0 << true << -10.0 << false << 0.0;
        QTest::newRow("shrinks at the top") << tall << 900.0 << 100.0 << true << 30.0 << true << 70.0;
        QTest::newRow("shrinks to zero, not below") << tall << 900.0 << 20.0 << true << 30.0 << true << 0.0;
        QTest::newRow("shrinking first drops what no longer fits")
            << tall << 700.0 << 300.0 << true << 10.0 << true << 130.0;
        QTest::newRow("not at the top: content scrolls") << tall << 900.0 << 100.0 << false << 30.0 << false << 100.0;
        QTest::newRow("compact at the top: content scrolls") << tall << 900.0 << 0.0 << true << 30.0 << false << 0.0;
        QTest::newRow("no screen: at most 600")
            << std::optional<double>() << 2000.0 << 0.0 << true << -100.0 << true << 40.0;
    }
    void scroll() {
        QFETCH(std::optional<double>, screen);
        QFETCH(double, contentH);
        QFETCH(double, expand);
        QFETCH(bool, atTop);
        QFETCH(double, dy);
        QFETCH(bool, used);
        QFETCH(double, after);
        const Preferences p = prefs();
        PanelState ps(p);
        ps.screenHeight = [screen] { return screen; };
        ps.setContentH(contentH);
        ps.setExpand(expand);
        ps.setAtTop(atTop);
        QCOMPARE(ps.scroll(dy), used);
        QCOMPARE(ps.expand(), after);
        QCOMPARE(p.panelExpand(), after);
        // The persisted height comes back with the next state.
        QCOMPARE(PanelState(p).expand(), after);
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
