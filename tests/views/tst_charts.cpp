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
    // The bar's length shrinks to a floor of 0.04 at 288 ms; a lost ping fills it.
    void qualityBar() {
        const std::pair<std::optional<double>, double> rows[] = {
            {0.0, 1.0}, {80.0, 0.7333}, {200.0, 0.3333}, {400.0, 0.04}, {std::nullopt, 1.0}};
        for (const auto& [ms, fraction] : rows)
            QVERIFY(std::abs(QualityBar::fraction(ms) - fraction) < 0.001);
    }

    void bars() {
        // What is drawn at each point: a(ccent), r(ed), w(hite) or f(aint, anything else).
        const auto drawn = [](const Bars::Columns& columns, int count, const QList<QPoint>& points) {
            const QImage image =
                render({count == Bars::daySlotCount() ? 5760 : 600, 200},
                       [&](QPainter& p, const QRectF& r) { Bars::paint(p, r, columns, count, palette()); });
            QString kinds;
            for (const QPoint& at : points) {
                const QColor c = image.pixelColor(at);
                kinds += near(c, colors::accent(palette())) ? u'a'
                         : near(c, colors::red)             ? u'r'
                         : near(c, Qt::white)               ? u'w'
                                                            : u'f';
            }
            return kinds;
        };
        const auto pings = [](const Values& values) { return Bars::columns(samples(values)); };
        const int five = Bars::slotCount();
        // 600 px hold 150 slots of 4 px, the newest centred on x = 598: full height, scaled to the largest answer
        // but to no less than 1 ms, lost pings red.
        QCOMPARE(drawn(pings({20.0}), five, {{598, 190}, {598, 30}, {594, 190}}), u"aaw"_s);
        QCOMPARE(drawn(pings({std::nullopt}), five, {{598, 190}, {598, 30}, {594, 190}}), u"rrw"_s);
        QCOMPARE(drawn(pings({10.0, 40.0}), five, {{594, 195}, {594, 155}, {594, 140}}), u"aaw"_s);
        QCOMPARE(drawn(pings({0.4}), five, {{598, 195}, {598, 125}, {598, 110}}), u"aaw"_s);
        QCOMPARE(drawn(pings(Values(160, 30.0)), five, {{2, 190}, {598, 190}, {4, 190}}), u"aaf"_s);
        // A day's 1440 minutes on 5760 px, the minute before the current one centred on x = 5758.
        const auto day = [](const QList<std::tuple<int, int, double, double>>& rows) {
            QList<MinuteRow> out;
            for (const auto& [ago, lost, avg, max] : rows)
                out.append({u"h"_s, minuteOf(dayNow) - std::chrono::minutes(ago), 30, lost, avg, avg, max});
            return Bars::columns(out, dayNow);
        };
        const int minutes = Bars::daySlotCount();
        // The average's bar, a faint whisker up to the maximum, a minute without a row blank.
        QCOMPARE(drawn(day({{1, 0, 10, 40}}), minutes, {{5758, 190}, {5758, 140}, {5758, 40}, {5754, 190}}), u"affw"_s);
        QCOMPARE(drawn(day({{1, 2, 10, 40}, {2, 30, 0, 0}}), minutes, {{5758, 30}, {5754, 30}}), u"rr"_s);
        // Minutes older than a day are left out, also from the scale.
        QCOMPARE(drawn(day({{1440, 0, 20, 20}, {1441, 0, 80, 80}}), minutes, {{2, 30}}), u"a"_s);
    }

    void barsCaption() {
        const std::tuple<Values, QString> rows[] = {
            {{20.0}, u"max 20 ms"_s},        {{12.0, std::nullopt, 35.2, 8.0}, u"max 35 ms"_s},
            {{34.5}, u"max 35 ms"_s}, // half rounds away from zero
            {{std::nullopt}, u"max 1 ms"_s}, {{0.4}, u"max 1 ms"_s},
            {Values{}, u"max 1 ms"_s}};
        for (const auto& [values, caption] : rows)
            QCOMPARE(Bars::caption(Bars::columns(samples(values))), caption);
    }

    // Points of a 90 × 30 chart, larger values higher and zero on the bottom; each lost ping breaks the line, a
    // lone point draws nothing (the path drops it when the next stroke starts).
    void sparklinePath() {
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
    }

    void sparklineStaysInside() {
        // Peaks, zeros and the round caps at both ends are drawn whole inside the chart's own rectangle.
        const QRect chart(10, 10, 90, 30);
        const QImage image = render({110, 50}, [&](QPainter& p, const QRectF&) {
            Sparkline::paint(p, chart, samples({0.0, 40.0, 0.0, 40.0}), palette());
            p.fillRect(chart, Qt::white);
        });
        QCOMPARE(image, render({110, 50}, [](QPainter&, const QRectF&) {}));
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
