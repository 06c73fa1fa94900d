#include "support/temp_home.h"
#include "widget/options.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The real program, without a screen: rendering must find its own way.
Result widget(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TARNWICK_WIDGET_BINARY), args);
    p.waitForFinished(20000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

Snapshot sample() {
    Snapshot s;
    s.time = std::chrono::system_clock::now();
    s.down = 999'999;
    s.up = 1'000'000;
    s.hosts = {{u"127.0.0.1"_s, u"ja"_s, 200.1}, {u"::1"_s, u"ja6"_s, 1}};
    return s;
}

// Pixels that are neither see-through nor the background: what was drawn on the widget.
int inkPixels(const QImage& image) {
    const QRgb background = image.pixel(image.width() / 2, 4);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255 && image.pixel(x, y) != background)
                ++ink;
    return ink;
}

} // namespace

class TestWidgetProgram : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    // Rendering and --status are run below; here the switches that would show a window.
    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("family");
        using M = Options::Mode;
        QTest::newRow("nothing") << QStringList() << int(M::Show) << int(Family::Small);
        QTest::newRow("size") << QStringList{u"--size"_s, u"medium"_s} << int(M::Show) << int(Family::Medium);
        QTest::newRow("help") << QStringList{u"--status"_s, u"-h"_s} << int(M::Help) << int(Family::Small);
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(int, family);
        const Options o = parseOptions(args);
        QCOMPARE(o.error, QString());
        QCOMPARE(int(o.mode), mode);
        QCOMPARE(int(o.family), family);
    }

    void renderDrawsEachFamily_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << u"small"_s << QSize(170, 170);
        QTest::newRow("medium") << u"medium"_s << QSize(364, 170);
    }
    void renderDrawsEachFamily() {
        QFETCH(QString, family);
        QFETCH(QSize, size);
        const QString png = home.path() + u"/w.png"_s;
        const auto draw = [&](QStringList extra) {
            QFile::remove(png);
            const Result r = widget(QStringList{u"--render"_s, family, png} + extra);
            if (r.code != 0)
                qWarning() << r.err;
            return r.code == 0 ? QImage(png) : QImage();
        };
        QFile::remove(*Snapshot::url());
        const QImage missing = draw({});
        sample().write();
        const QImage data = draw({});
        const QImage placeholder = draw({u"--placeholder"_s});
        // HiDPI and the dark look, whatever the desktop's.
        const QImage dark = draw({u"--scale"_s, u"2"_s, u"--dark"_s});
        QCOMPARE(dark.size(), size * 2);
        QVERIFY(qGray(dark.pixel(dark.width() / 2, 8)) < 80);
        for (const QImage& i : {missing, data, placeholder}) {
            QCOMPARE(i.size(), size);
            QVERIFY(i.hasAlphaChannel());
            QCOMPARE(qAlpha(i.pixel(0, 0)), 0);
        }
        // One short line when there is nothing to show; far more with figures.
        QVERIFY(inkPixels(missing) > 100);
        QVERIFY(inkPixels(data) > 2 * inkPixels(missing));
        QVERIFY(data != placeholder);
    }

    void renderReportsAnUnwritableFile() {
        const Result r = widget({u"--render"_s, u"small"_s, home.path() + u"/no/such/folder/w.png"_s});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("nie można zapisać"));
    }

    void statusPrintsOneJsonLine() {
        QFile::remove(*Snapshot::url());
        Result r = widget({u"--status"_s});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.endsWith('\n') && r.out.count('\n') == 1);
        QCOMPARE(QJsonDocument::fromJson(r.out).object().value("text"_L1).toString(), u"Uruchom Tarnwick"_s);

        sample().write();
        r = widget({u"--status"_s});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.endsWith('\n') && r.out.count('\n') == 1);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("text"_L1).toString(), u"↓ 1000 KB/s ↑ 1.0 MB/s · 200 ms"_s);
        QCOMPARE(o.value("class"_L1).toString(), u"red"_s);
        QVERIFY(o.value("tooltip"_L1).toString().startsWith(u"ja: 200 ms\nja6: 1 ms\n"_s));
    }
};

QTEST_GUILESS_MAIN(TestWidgetProgram)
#include "tst_widget_program.moc"
