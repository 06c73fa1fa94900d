#include "details/tailnet.h"
#include "shell/bar_image.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QPalette palette = [] {
    QPalette p;
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x20, 0x60, 0xE0));
    return p;
}();

// Calls `visit` with every pixel of `area` (device-independent coordinates) and its device position.
template <class Visit> void each(const QImage& image, const QRectF& area, Visit visit) {
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const qreal dpr = image.devicePixelRatio();
    const QRect r = QRectF(area.topLeft() * dpr, area.size() * dpr).toAlignedRect().intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            visit(img.pixel(x, y), x, y);
    }
}

// The bounding box of every visible pixel in `area`, in device-independent coordinates.
QRectF ink(const QImage& image, const QRectF& area) {
    QRect box;
    each(image, area, [&](QRgb px, int x, int y) {
        if (qAlpha(px) > 60)
            box |= QRect(x, y, 1, 1);
    });
    const qreal dpr = image.devicePixelRatio();
    return QRectF(QPointF(box.topLeft()) / dpr, QSizeF(box.size()) / dpr);
}

Tailnet tailnet(const QString& state, std::optional<QString> exit) {
    Tailnet t;
    t.state = state;
    t.exitName = std::move(exit);
    return t;
}

} // namespace

class TestBarImage : public QObject {
    Q_OBJECT

private slots:
    void latencyText() {
        const struct {
            const char* name;
            std::optional<double> ms;
            Latency want;
        } rows[] = {{"no answer", std::nullopt, {u"x"_s, true}},  {"exactly 200", 200.0, {u"200ms"_s, false}},
                    {"just over 200", 200.4, {u"200ms"_s, true}}, {"below cap", 999.4, {u"999ms"_s, true}},
                    {"capped", 1500.0, {u"999ms"_s, true}},       {"half rounds up", 0.5, {u"1ms"_s, false}},
                    {"under half", 0.49, {u"0ms"_s, false}}};
        for (const auto& row : rows)
            QVERIFY2(latency(row.ms) == row.want, row.name);
    }

    void marks() {
        const struct {
            std::optional<Tailnet> tailnet;
            bool exit;
        } rows[] = {{std::nullopt, false},
                    {tailnet(u"Running"_s, u"nas"_s), true},
                    {tailnet(u"Running"_s, std::nullopt), false},
                    {tailnet(u"Stopped"_s, u"nas"_s), false},
                    {tailnet(u"running"_s, u"nas"_s), false}};
        for (const auto& row : rows)
            QCOMPARE(barMarks(row.tailnet, true), (BarMarks{row.exit, true}));
    }

    // At each pixel ratio: the size, arrows at the left edge, rates right-aligned on their column, one line
    // in each half, the latency right-aligned and a little below the middle, and empty mark slots.
    void layout() {
        const BarImage bar;
        QVERIFY(bar.colW() > 40 && bar.colW() < 80);
        QVERIFY(bar.pingW() > 25 && bar.pingW() < 50);
        const qreal W = bar.barSize().width();
        const QRectF latencyArea(W - bar.pingW(), 0, bar.pingW(), 22);
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage image = bar.barImage(1'234'000, 56'000, 42.0, {}, dpr, palette);
            QCOMPARE(image.devicePixelRatio(), dpr);
            QCOMPARE(image.height(), qRound(22 * dpr));
            QCOMPARE(image.width(), qRound(W * dpr));
            const QRectF upper = ink(image, QRectF(0, 0, bar.colW() + 2, 11));
            const QRectF lower = ink(image, QRectF(0, 11, bar.colW() + 2, 11));
            QVERIFY2(upper.left() < 3 && lower.left() < 3, "arrows start at the left edge");
            QVERIFY2(upper.right() <= bar.colW() + 0.5 && upper.right() > bar.colW() - 2.5, "upload right-aligned");
            QVERIFY2(lower.right() <= bar.colW() + 0.5 && lower.right() > bar.colW() - 2.5, "download right-aligned");
            QVERIFY(upper.height() > 4 && lower.height() > 4);
            const QRectF l = ink(image, latencyArea);
            QVERIFY2(l.right() <= W + 0.01 && l.right() > W - 2.5, "latency right-aligned");
            const qreal middle = (l.top() + l.bottom()) / 2;
            QVERIFY2(middle > 11.0 && middle < 13.5, qPrintable(QString::number(middle)));
            QVERIFY(ink(image, QRectF(bar.colW() + 4, 0, 17, 22)).isEmpty());
        }
    }
};

QTEST_MAIN(TestBarImage)
#include "tst_bar_image.moc"
