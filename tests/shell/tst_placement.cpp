#include "core/panel_state.h"
#include "shell/placement.h"
#include "support/temp_home.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect display(0, 0, 1440, 900);
const QRect laptop(0, 25, 1440, 875); // usable area below a 25-pixel top bar
const QRect external(1440, 0, 1920, 1080);

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    void keepOnScreen() {
        const struct {
            const char* name;
            QRect frame;
            QRect fixed;
            QList<QRect> screens = {laptop};
            std::optional<QRect> main = laptop;
        } rows[] = {
            {"inside stays", {100, 200, 300, 400}, {100, 200, 300, 400}},
            {"left display gone", {2500, 300, 260, 180}, {1440 - 260, 300, 260, 180}},
            {"above the top", {50, -500, 260, 180}, {50, 25, 260, 180}},
            {"taller than the screen", {10, 0, 340, 1200}, {10, 25, 340, 875}},
            {"on the second screen", {3200, 900, 260, 180}, {3100, 900, 260, 180}, {laptop, external}},
            {"first overlapping screen wins", {1400, 500, 100, 100}, {1340, 500, 100, 100}, {laptop, external}},
            {"no screen at all", {100, 100, 50, 50}, {0, 0, 50, 0}, {}, std::nullopt},
        };
        for (const auto& row : rows)
            QVERIFY2(placement::keepOnScreen(row.frame, row.screens, row.main) == row.fixed, row.name);
    }

    // The popover touches the panel that holds the icon, on whichever edge it is, and stays on screen.
    void popover() {
        const QRect top(0, 30, 1440, 870);
        const QRect bottom(0, 0, 1440, 870);
        const QRect left(48, 0, 1392, 900);
        const struct {
            const char* name;
            std::optional<QRect> anchor;
            QRect area;
            QPoint expected;
        } rows[] = {
            {"kept inside at the right edge", QRect(1420, 3, 20, 24), top, {1100, 30}},
            {"left panel", QRect(10, 850, 24, 24), left, {48, 400}},
            {"panel unknown: below an icon near the top", QRect(1000, 3, 24, 24), display, {841, 27}},
            {"panel unknown: past the panel a point near the top implies", QRect(1000, 17, 1, 1), display, {830, 34}},
            {"panel unknown: a point near the top-left corner is a top panel's", QRect(11, 17, 1, 1), display, {0, 34}},
            {"panel unknown: a side panel's point", QRect(6, 500, 1, 1), display, {12, 250}},
            {"panel unknown: above an icon near the bottom", QRect(1000, 876, 24, 24), display, {841, 376}},
            {"panel unknown: above the panel a point near the bottom implies",
             QRect(1000, 885, 1, 1),
             display,
             {830, 370}},
            {"no anchor, top panel", std::nullopt, top, {1100, 30}},
            {"no anchor, bottom panel", std::nullopt, bottom, {1100, 370}},
            {"no anchor, no panel", std::nullopt, display, {1100, 0}},
        };
        for (const auto& row : rows) {
            const QPoint at = placement::popoverOrigin(row.anchor, {340, 500}, display, row.area);
            QVERIFY2(at == row.expected && row.area.contains(QRect(at, QSize(340, 500))), row.name);
        }
    }

    // Scrolling grows the advanced view until its content fits or the screen is full, and shrinks it back
    // when scrolled up at the top; the height persists.
    void scroll() {
        const auto tall = std::optional(1400.0);
        const struct {
            const char* name;
            std::optional<double> screen;
            double contentH, expand;
            bool atTop;
            double dy;
            bool used;
            double after;
        } rows[] = {
            {"grows", tall, 900, 0, true, -10, true, 10},
            {"grows only until the content fits", tall, 900, 335, true, -10, true, 340},
            {"screen limit", 1000.0, 2000, 100, true, -300, true, 140},
            {"small screen never grows", 850.0, 2000, 0, true, -10, false, 0},
            {"shrinks at the top", tall, 900, 100, true, 30, true, 70},
            {"shrinks to zero, not below", tall, 900, 20, true, 30, true, 0},
            {"shrinking first drops what no longer fits", tall, 700, 300, true, 10, true, 130},
            {"not at the top: content scrolls", tall, 900, 100, false, 30, false, 100},
            {"compact at the top: content scrolls", tall, 900, 0, true, 30, false, 0},
        };
        int files = 0;
        for (const auto& row : rows) {
            const Preferences p(home.config() + u"/p%1.conf"_s.arg(++files));
            PanelState ps(p);
            ps.screenHeight = [screen = row.screen] { return screen; };
            ps.setContentH(row.contentH);
            ps.setExpand(row.expand);
            ps.setAtTop(row.atTop);
            QVERIFY2(ps.scroll(row.dy) == row.used, row.name);
            QVERIFY2(ps.expand() == row.after && p.panelExpand() == row.after, row.name);
            QVERIFY2(PanelState(p).expand() == row.after, row.name);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
