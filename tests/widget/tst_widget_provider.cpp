#include "common/container.h"
#include "support/temp_home.h"
#include "widget/provider.h"
#include "widget/snapshot_watch.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const Timestamp noon = fromReferenceSeconds(800'000'000);

Snapshot sample(double down) {
    Snapshot s;
    s.time = noon;
    s.down = down;
    s.hosts = {{u"127.0.0.1"_s, u"ja"_s, 0.05}};
    return s;
}

Entry snapshotEntry() {
    Entry got;
    Provider().getSnapshot(noon, [&](const Entry& e) { got = e; });
    return got;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Waits for the watch to report; later reports of the same change are let through first.
bool reported(QSignalSpy& spy) {
    const bool seen = !spy.isEmpty() || spy.wait(5000);
    QTest::qWait(50);
    spy.clear();
    return seen;
}

} // namespace

class TestWidgetProvider : public QObject {
    Q_OBJECT

    TempHome home;
    QString file;

private slots:
    void init() {
        file = *Snapshot::url();
        QDir(QFileInfo(file).path()).removeRecursively();
    }

    void readsTheFileEveryTime() {
        QVERIFY(!snapshotEntry().snap);
        sample(1).write();
        QCOMPARE(snapshotEntry().snap, std::optional(sample(1)));
        sample(2).write();
        QCOMPARE(snapshotEntry().snap, std::optional(sample(2)));
        // Dated ahead of the clock: a clock correction is let through, a date to come is no measurement.
        Snapshot ahead = sample(4);
        ahead.time = noon + 30s;
        ahead.write();
        QCOMPARE(snapshotEntry().snap, std::optional(ahead));
        ahead.time = noon + 2min;
        ahead.write();
        QVERIFY(!snapshotEntry().snap);
        writeFile(file, sample(3).encode().chopped(4));
        QVERIFY(!snapshotEntry().snap);
        QFile::remove(file);
        QVERIFY(!snapshotEntry().snap);
    }

    void timelineHoldsOneEntryForFiveMinutes() {
        sample(7).write();
        std::optional<Timeline> got;
        Provider().getTimeline(noon, [&](const Timeline& t) { got = t; });
        QVERIFY(got.has_value());
        QCOMPARE(got->entries.size(), 1);
        QCOMPARE(got->entries[0].date, noon);
        QCOMPARE(got->entries[0].snap, std::optional(sample(7)));
        QCOMPARE(between(noon, got->reloadAt).count(), 300.0);
    }

    // The application replaces the file by renaming a new one over it, again and again.
    void watchFollowsAtomicReplaces() {
        sample(1).write();
        SnapshotWatch watch(file);
        QSignalSpy spy(&watch, &SnapshotWatch::changed);
        for (int i = 2; i < 6; ++i) {
            sample(i).write();
            QVERIFY2(reported(spy), qPrintable(u"replace %1"_s.arg(i)));
            QCOMPARE(snapshotEntry().snap->down, double(i));
            QVERIFY(watch.watched().contains(file));
        }
        // Written in place, too.
        writeFile(file, sample(9).encode());
        QVERIFY(reported(spy));
        QFile::remove(file);
        QVERIFY(reported(spy));
        QVERIFY(!watch.watched().contains(file));
        sample(10).write();
        QVERIFY(reported(spy));
        QVERIFY(watch.watched().contains(file));
    }

    // Before the application ever ran there is no container; the watch waits on the nearest folder there is.
    void watchWaitsForTheContainer() {
        const QString container = QFileInfo(file).path();
        QVERIFY(!QFileInfo::exists(container));
        SnapshotWatch watch(file);
        QCOMPARE(watch.watched(), QStringList{home.data()});
        QSignalSpy spy(&watch, &SnapshotWatch::changed);
        QVERIFY(QDir().mkpath(container));
        QVERIFY(reported(spy));
        QCOMPARE(watch.watched(), QStringList{container});
        sample(4).write();
        QVERIFY(reported(spy));
        QCOMPARE(snapshotEntry().snap, std::optional(sample(4)));
        // Even the data folder may be missing.
        QVERIFY(QDir(home.data()).removeRecursively());
        QVERIFY(reported(spy));
        QCOMPARE(watch.watched(), QStringList{home.path()});
    }
};

QTEST_GUILESS_MAIN(TestWidgetProvider)
#include "tst_widget_provider.moc"
