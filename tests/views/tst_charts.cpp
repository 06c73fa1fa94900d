#include "views/bars.h"
#include "views/quality_bar.h"
#include "views/sparkline.h"
#include "views/style.h"

#include <QPainter>
#include <QtTest>

using namespace Qt::StringLiterals;

using Values = QList<std::optional<double>>;

namespace {

Samples samples(const Values& values) {
    Samples out;
    for (const auto& v : values)
        out.append({Timestamp{}, v});
    return out;
}

// Draws with `paint` on a white image of `size`, one pixel per point.
template <class Paint> QImage render(QSize size, Paint paint) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paint(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
}

const Timestamp dayNow = Timestamp{std::chrono::hours(500'000)} + std::chrono::seconds(30);

QPalette palette() {
    QPalette p;
    p.setColor(QPalette::Highlight, QColor(0x00, 0x7a, 0xff));
    p.setColor(QPalette::WindowText, Qt::black);
    return p;
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT

private slots:
    void qualityBar();
    void barsLayout_data();
    void barsLayout();
    void dayBars();
    void barsCaption();
    void sparklinePath();
    void sparklineStaysInside();
};

// The bar's colour steps at 80 and above 200 ms; its length shrinks to a floor of 0.04 at 288 ms.
void TestCharts::qualityBar() {
    const std::tuple<std::optional<double>, QColor, double> rows[] = {
        {0.0, colors::green, 1.0},       {79.9, colors::green, 0.7337},   {80.0, colors::orange, 0.7333},
        {200.0, colors::orange, 0.3333}, {200.1, colors::red, 0.333},     {288.0, colors::red, 0.04},
        {400.0, colors::red, 0.04},      {std::nullopt, colors::red, 1.0}};
    for (const auto& [ms, color, fraction] : rows) {
        QVERIFY(std::abs(QualityBar::fraction(ms) - fraction) < 0.001);
        const QImage image =
            render({300, 10}, [&](QPainter& p, const QRectF& r) { QualityBar::paint(p, r, ms, palette()); });
        const int end = int(fraction * 300);
        QVERIFY(near(image.pixelColor(end - 4, 5), color));
        if (end + 4 < 296)
            QVERIFY(!near(image.pixelColor(end + 4, 5), color));
    }
}

void TestCharts::barsLayout_data() {
    QTest::addColumn<Values>("values");
    // Pixel columns (centre of a slot) and rows that must, or must not, be painted in the given colour.
    QTest::addColumn<QList<QPoint>>("painted");
    QTest::addColumn<QList<QPoint>>("clear");
    QTest::addColumn<QColor>("color");
    const QColor accent = colors::accent(palette());
    // A 600 × 200 chart: 150 slots of 4 px, bars 2.2 px wide; the newest slot is centred on x = 598.
    QTest::newRow("one answer fills the height at the right edge")
        << Values{20.0} << QList<QPoint>{{598, 190}, {598, 30}} << QList<QPoint>{{594, 190}, {2, 190}} << accent;
    QTest::newRow("one lost ping is a full red bar")
        << Values{std::nullopt} << QList<QPoint>{{598, 190}, {598, 30}} << QList<QPoint>{{594, 190}} << colors::red;
    QTest::newRow("scaled to the largest answer")
        << Values{10.0, 40.0} << QList<QPoint>{{594, 195}, {594, 155}, {598, 30}}
        << QList<QPoint>{{594, 140}, {590, 195}} << accent;
    QTest::newRow("answers below 1 ms use a scale of 1")
        << Values{0.4} << QList<QPoint>{{598, 195}, {598, 125}} << QList<QPoint>{{598, 110}} << accent;
    // Pixels of full-height bars inside the "max 20 ms" box, above and below the glyphs, lie under its veil.
    QTest::newRow("the scale's label is veiled")
        << Values(150, 20.0) << QList<QPoint>{{530, 6}, {598, 20}}
        << QList<QPoint>{{566, 1}, {578, 1}, {590, 1}, {566, 10}, {590, 10}} << accent;
    QList<std::optional<double>> many(160, 30.0);
    QTest::newRow("more than 150 keep the slot width")
        << many << QList<QPoint>{{2, 190}, {6, 190}, {598, 190}} << QList<QPoint>{{0, 190}, {4, 190}} << accent;
}

void TestCharts::barsLayout() {
    QFETCH(Values, values);
    QFETCH(QList<QPoint>, painted);
    QFETCH(QList<QPoint>, clear);
    QFETCH(QColor, color);
    const QImage image = render({600, 200}, [&](QPainter& p, const QRectF& r) {
        Bars::paint(p, r, Bars::columns(samples(values)), Bars::slotCount(), palette());
    });
    for (const QPoint& at : painted)
        QVERIFY2(near(image.pixelColor(at), color), qPrintable(u"(%1, %2)"_s.arg(at.x()).arg(at.y())));
    for (const QPoint& at : clear)
        QVERIFY2(!near(image.pixelColor(at), color), qPrintable(u"(%1, %2)"_s.arg(at.x()).arg(at.y())));
}

void TestCharts::dayBars() {
    // Per point: a(ccent), r(ed), f(aint: neither white nor a full colour) or w(hite).
    // A row `ago` minutes before the current one; on 5760 px the newest is centred on x = 5758, the next on 5754.
    const auto row = [](int ago, int lost, double avg, double max) {
        return MinuteRow{u"h"_s, minuteOf(dayNow) - std::chrono::minutes(ago), 30, lost, avg, avg, max};
    };
    const std::tuple<const char*, QList<MinuteRow>, QList<QPoint>, QString> cases[] = {
        {"average bar, faint whisker up to the maximum, a minute without a row blank",
         {row(1, 0, 10, 40)},
         {{5758, 190}, {5758, 140}, {5758, 40}, {5754, 190}},
         u"affw"_s},
        {"a minute with a loss is a full red bar",
         {row(1, 2, 10, 40), row(2, 30, 0, 0)},
         {{5758, 30}, {5754, 30}},
         u"rr"_s},
        {"minutes older than a day are left out, also from the scale",
         {row(1440, 0, 20, 20), row(1441, 0, 80, 80)},
         {{2, 30}},
         u"a"_s}};
    for (const auto& [name, rows, points, kinds] : cases) {
        const QImage image = render({5760, 200}, [&](QPainter& p, const QRectF& r) {
            Bars::paint(p, r, Bars::columns(rows, dayNow), Bars::daySlotCount(), palette());
        });
        const QColor accent = colors::accent(palette());
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QColor c = image.pixelColor(points[i]);
            const bool ok = kinds[i] == u'a'   ? near(c, accent)
                            : kinds[i] == u'r' ? near(c, colors::red)
                            : kinds[i] == u'f' ? !near(c, Qt::white) && !near(c, accent)
                                               : near(c, Qt::white);
            QVERIFY2(ok, qPrintable(u"%1 (%2, %3)"_s.arg(QLatin1String(name)).arg(points[i].x()).arg(points[i].y())));
        }
    }
}

void TestCharts::barsCaption() {
    const std::tuple<Values, QString> rows[] = {
        {{20.0}, u"max 20 ms"_s},        {{12.0, std::nullopt, 35.2, 8.0}, u"max 35 ms"_s},
        {{34.5}, u"max 35 ms"_s}, // half rounds away from zero
        {{std::nullopt}, u"max 1 ms"_s}, {{0.4}, u"max 1 ms"_s},
        {Values{}, u"max 1 ms"_s}};
    for (const auto& [values, caption] : rows)
        QCOMPARE(Bars::caption(Bars::columns(samples(values))), caption);
}

// Points of a 90 × 30 chart, larger values higher and zero on the bottom; each lost ping breaks the line, a
// lone point draws nothing (the path drops it when the next stroke starts), and only the newest 30 count.
void TestCharts::sparklinePath() {
    // Per point: x, y and whether it starts a stroke.
    const std::tuple<Values, QList<std::tuple<double, double, bool>>> rows[] = {
        {{}, {}},
        {{25.0}, {{0, 0, true}}},
        {{0.0, 20.0, 10.0, 20.0}, {{0, 30, true}, {30, 0, false}, {60, 15, false}, {90, 0, false}}},
        {{10.0, std::nullopt, 20.0, 40.0, std::nullopt, 40.0, std::nullopt},
         {{30, 15, true}, {45, 0, false}, {75, 0, true}}},
        {{std::nullopt, 5.0, 10.0}, {{45, 15, true}, {90, 0, false}}},
        {{std::nullopt, std::nullopt}, {}}};
    for (const auto& [values, points] : rows) {
        const QPainterPath path = Sparkline::path(samples(values), {90, 30});
        QCOMPARE(path.elementCount(), points.size());
        for (int i = 0; i < path.elementCount(); ++i) {
            const auto& [x, y, start] = points[i];
            QCOMPARE(QPointF(path.elementAt(i)), QPointF(x, y));
            QCOMPARE(path.elementAt(i).isMoveTo(), start);
        }
    }
    // The 11th of 40 samples opens the line at the left edge; the newest ends it at the right.
    Values values;
    for (int i = 1; i <= 40; ++i)
        values.append(double(i));
    const QPainterPath path = Sparkline::path(samples(values), {290, 40});
    QCOMPARE(path.elementCount(), 30);
    QCOMPARE(QPointF(path.elementAt(0)), QPointF(0, 40 * (1 - 11.0 / 40)));
    QCOMPARE(QPointF(path.elementAt(29)), QPointF(290, 0));
}

void TestCharts::sparklineStaysInside() {
    // Peaks, zeros and the round caps at both ends are drawn whole inside the chart's own rectangle.
    const QRect chart(10, 10, 90, 30);
    const QImage image = render({110, 50}, [&](QPainter& p, const QRectF&) {
        Sparkline::paint(p, chart, samples({0.0, 40.0, 0.0, 40.0}), palette());
        p.fillRect(chart, Qt::white);
    });
    QCOMPARE(image, render({110, 50}, [](QPainter&, const QRectF&) {}));
}

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
