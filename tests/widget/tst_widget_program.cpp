#include "common/container.h"
#include "support/rows.h"
#include "support/temp_home.h"
#include "widget/options.h"
#include "widget/provider.h"
#include "widget/snapshot_watch.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const Timestamp noon = fromReferenceSeconds(800'000'000);

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

Snapshot sample(double down, Timestamp time = noon) {
    Snapshot s;
    s.time = time;
    s.down = down;
    s.up = 1'000'000;
    s.hosts = {{u"127.0.0.1"_s, u"ja"_s, 200.1}, {u"::1"_s, u"ja6"_s, 1}};
    return s;
}

Entry snapshotEntry() {
    Entry got;
    Provider().getSnapshot(noon, [&](const Entry& e) { got = e; });
    return got;
}

// Waits for the watch to report; later reports of the same change are let through first.
bool reported(QSignalSpy& spy) {
    const bool seen = !spy.isEmpty() || spy.wait(5000);
    QTest::qWait(50);
    spy.clear();
    return seen;
}

} // namespace

class TestWidgetProgram : public QObject {
    Q_OBJECT

    TempHome home;
    QString file;

private slots:
    void init() {
        file = *Snapshot::url();
        QDir(QFileInfo(file).path()).removeRecursively();
    }

    // Rendering and --status are run below; here the switch that would show a window.
    void sizeOption() {
        const Options o = parseOptions({u"--size"_s, u"medium"_s});
        QCOMPARE(o.error, QString());
        QCOMPARE(int(o.mode), int(Options::Mode::Show));
        QCOMPARE(int(o.family), int(Family::Medium));
    }

    // A date well ahead of the clock is no measurement.
    void futureSnapshotIsIgnored() {
        sample(4, noon + 2min).write();
        QVERIFY(!snapshotEntry().snap);
    }

    // The application replaces the file by renaming a new one over it, again and again.
    void watchFollowsAtomicReplaces() {
        sample(1).write();
        SnapshotWatch watch(file);
        QSignalSpy spy(&watch, &SnapshotWatch::changed);
        for (int i = 2; i < 5; ++i) {
            sample(i).write();
            QVERIFY2(reported(spy), qPrintable(u"replace %1"_s.arg(i)));
            QCOMPARE(snapshotEntry().snap->down, double(i));
        }
    }

    // Before the application ever ran there is no container; the watch waits on the nearest folder there is.
    void watchWaitsForTheContainer() {
        const QString container = QFileInfo(file).path();
        SnapshotWatch watch(file);
        QCOMPARE(watch.watched(), QStringList{home.data()});
        QSignalSpy spy(&watch, &SnapshotWatch::changed);
        QVERIFY(QDir().mkpath(container));
        QVERIFY(reported(spy));
        QCOMPARE(watch.watched(), QStringList{container});
        sample(4).write();
        QVERIFY(reported(spy));
        QCOMPARE(snapshotEntry().snap, std::optional(sample(4)));
    }

    void renderDrawsEachFamily() {
        const QString png = home.path() + u"/w.png"_s;
        const auto draw = [&](const QString& family, QStringList extra = {}) {
            QFile::remove(png);
            const Result r = widget(QStringList{u"--render"_s, family, png} + extra);
            if (r.code != 0)
                qWarning() << r.err;
            return r.code == 0 ? QImage(png) : QImage();
        };
        for (const auto& [family, size] : {std::pair(u"small"_s, QSize(170, 170)), {u"medium"_s, QSize(364, 170)}}) {
            QFile::remove(file);
            const QImage missing = draw(family);
            sample(999'999, std::chrono::system_clock::now()).write();
            const QImage data = draw(family);
            QCOMPARE(draw(family, {u"--scale"_s, u"2"_s, u"--dark"_s}).size(), size * 2);
            QCOMPARE(missing.size(), size);
            QCOMPARE(data.size(), size);
            QVERIFY(data != missing);
            QVERIFY(draw(family, {u"--placeholder"_s}) != data);
        }
    }

    void statusPrintsOneJsonLine() {
        for (const bool written : {false, true}) {
            if (written)
                sample(999'999, std::chrono::system_clock::now()).write();
            const Result r = widget({u"--status"_s});
            QCOMPARE(r.code, 0);
            QVERIFY(r.out.endsWith('\n') && r.out.count('\n') == 1);
            const QJsonObject o = QJsonDocument::fromJson(r.out).object();
            QCOMPARE(o.value("text"_L1).toString(),
                     written ? u"↓ 1000 KB/s ↑ 1.0 MB/s · 200 ms"_s : u"Uruchom Tarnwick"_s);
            if (written)
                QVERIFY(o.value("tooltip"_L1).toString().startsWith(u"ja: 200 ms\nja6: 1 ms\n"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestWidgetProgram)
#include "tst_widget_program.moc"
