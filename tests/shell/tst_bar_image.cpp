#include "details/tailnet.h"
#include "shell/bar_image.h"
#include "views/style.h"

#include <QPainter>
#include <QTest>
#include <cmath>

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

// Pixels in `area` close to `c`: un-premultiplied components of antialiased ink stay close to the pen colour.
int count(const QImage& image, const QRectF& area, const QColor& c) {
    int n = 0;
    each(image, area, [&](QRgb px, int, int) {
        const QColor p = QColor::fromRgba(px);
        n += p.alpha() >= 160 && std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40 &&
             std::abs(p.blue() - c.blue()) < 40;
    });
    return n;
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

QImage phone() {
    QImage glyph(16, 24, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::black);
    return glyph;
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
    // in each half, the latency right-aligned and a little below the middle, and empty mark slots. Only the
    // latency takes the alarm colour, and only on alarm.
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
            for (const std::optional<double> ms : {std::optional(200.0), std::optional<double>()}) {
                const QImage alarm = bar.barImage(0, 0, ms, {}, dpr, palette);
                QCOMPARE(count(alarm, latencyArea, colors::red) > 3, !ms);
                QCOMPARE(count(alarm, latencyArea, Qt::black) > 3, ms.has_value());
                QCOMPARE(count(alarm, QRectF(0, 0, bar.colW(), 22), colors::red), 0);
            }
        }
    }

    void marksKeepTextsInPlace() {
        const struct {
            BarMarks marks;
            bool withPhone;
        } rows[] = {{{true, false}, true}, {{false, true}, true}, {{true, true}, true}, {{false, true}, false}};
        for (const auto& [marks, withPhone] : rows) {
            const BarImage bar(withPhone ? std::optional(phone()) : std::nullopt);
            const QImage plain = bar.barImage(5000, 300, 87.0, {}, 1.0, palette);
            const QImage marked = bar.barImage(5000, 300, 87.0, marks, 1.0, palette);
            QCOMPARE(marked.size(), plain.size());
            const int slot = int(bar.colW()) + 4;
            const int slotEnd = int(std::ceil(bar.colW())) + 4 + 17;
            for (int y = 0; y < plain.height(); ++y) {
                for (int x = 0; x < plain.width(); ++x) {
                    if (x < slot || x >= slotEnd)
                        QCOMPARE(marked.pixel(x, y), plain.pixel(x, y));
                }
            }
            const QRectF phoneSlot(bar.colW() + 4, 0, 10, 22);
            QCOMPARE(count(marked, QRectF(bar.colW() + 14, 0, 7, 22), colors::accent(palette)) > 0, marks.exit);
            const QRectF glyph = ink(marked, phoneSlot);
            QCOMPARE(!glyph.isEmpty(), marks.hotspot && withPhone);
            if (!glyph.isEmpty()) {
                // The glyph is 8 × 12, vertically centred, at the slot's left edge, tinted with the text colour.
                QVERIFY(std::abs(glyph.width() - 8) <= 1 && std::abs(glyph.height() - 12) <= 1);
                QVERIFY(std::abs(glyph.top() - 5) <= 1);
                QVERIFY(count(marked, phoneSlot, Qt::black) > 60);
            }
        }
    }

    // The tray icon reads on any panel at the sizes hosts draw it: the figure keeps its contrast against what
    // surrounds it on a light and on a dark panel, the chip turns red on alarm, and each mark shows.
    void trayRendition() {
        const BarImage bar(phone());
        const auto luminance = [](QRgb px) {
            const auto linear = [](int c) {
                const double v = c / 255.0;
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(qRed(px)) + 0.7152 * linear(qGreen(px)) + 0.0722 * linear(qBlue(px));
        };
        for (const int side : {16, 22, 32}) {
            for (const QColor panel : {QColor(0xF6, 0xF5, 0xF4), QColor(0x24, 0x24, 0x24), QColor(0x35, 0x84, 0xE4)}) {
                for (const std::optional<double> ms :
                     {std::optional(42.0), std::optional(999.0), std::optional<double>()}) {
                    QImage on(side, side, QImage::Format_RGB32);
                    on.fill(panel);
                    QPainter(&on).drawImage(0, 0, bar.trayImage(ms, {}, side));
                    double lightest = 0;
                    double darkest = 1;
                    for (int y = side / 4; y < side * 3 / 4; ++y) {
                        for (int x = 2; x < side - 2; ++x) {
                            lightest = std::max(lightest, luminance(on.pixel(x, y)));
                            darkest = std::min(darkest, luminance(on.pixel(x, y)));
                        }
                    }
                    QVERIFY2((lightest + 0.05) / (darkest + 0.05) >= 4.5, qPrintable(u"%1 px"_s.arg(side)));
                    const QColor ground = QColor::fromRgb(on.pixel(side / 2, 2));
                    QCOMPARE(ground.red() > 150 && ground.green() < 60, !ms || *ms > 200);
                }
            }
        }
        const QImage calm = bar.trayImage(42.0, {}, 22);
        const QColor accent = colors::accent(QGuiApplication::palette());
        QVERIFY(count(bar.trayImage(42.0, {true, false}, 22), calm.rect(), accent) > 4);
        QCOMPARE(count(calm, calm.rect(), accent), 0);
        QVERIFY(bar.trayImage(42.0, {false, true}, 22) != calm);
    }
};

QTEST_MAIN(TestBarImage)
#include "tst_bar_image.moc"
