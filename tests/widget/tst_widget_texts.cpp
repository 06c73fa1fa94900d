#include "widget/age_change.h"
#include "widget/status_line.h"
#include "widget/w_format.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const Timestamp noon = fromReferenceSeconds(800'000'000);

std::optional<double> ping(double ms) {
    return ms < 0 ? std::nullopt : std::optional(ms);
}

QJsonObject status(const std::optional<Snapshot>& s) {
    const QByteArray line = statusLine(s, noon);
    if (line.contains('\n'))
        return {};
    return QJsonDocument::fromJson(line).object();
}

Snapshot snapshot(QList<HostPing> hosts) {
    Snapshot s;
    s.time = noon - 200s;
    s.down = 1'200'000;
    s.up = 999'999;
    s.hosts = std::move(hosts);
    return s;
}

} // namespace

class TestWidgetTexts : public QObject {
    Q_OBJECT

private slots:
    void rates_data() {
        QTest::addColumn<double>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << 0.0 << u"0 KB/s"_s;
        QTest::newRow("below half a kilobyte") << 499.0 << u"0 KB/s"_s;
        QTest::newRow("half a kilobyte rounds up") << 500.0 << u"1 KB/s"_s;
        QTest::newRow("just below a megabyte") << 999'999.0 << u"1000 KB/s"_s;
        QTest::newRow("one megabyte") << 1'000'000.0 << u"1.0 MB/s"_s;
        QTest::newRow("no whole-number form when large") << 123'456'789.0 << u"123.5 MB/s"_s;
        QTest::newRow("small negative is no minus zero") << -300.0 << u"0 KB/s"_s;
    }
    void rates() {
        QFETCH(double, bytes);
        QFETCH(QString, text);
        QCOMPARE(wRate(bytes), text);
    }

    // A negative ping stands for a lost one.
    void pings_data() {
        QTest::addColumn<double>("ms");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        const QColor green(0x34, 0xC7, 0x59), orange(0xFF, 0x95, 0x00), red(0xFF, 0x3B, 0x30);
        QTest::newRow("lost") << -1.0 << u"x"_s << red;
        QTest::newRow("zero") << 0.0 << u"0"_s << green;
        QTest::newRow("half rounds away from zero") << 23.5 << u"24"_s << green;
        QTest::newRow("just below slow") << 79.9 << u"80"_s << green;
        QTest::newRow("slow from 80") << 80.0 << u"80"_s << orange;
        QTest::newRow("slow up to 200") << 200.0 << u"200"_s << orange;
        QTest::newRow("bad above 200") << 200.1 << u"200"_s << red;
        QTest::newRow("very bad") << 2500.4 << u"2500"_s << red;
    }
    void pings() {
        QFETCH(double, ms);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QCOMPARE(wMs(ping(ms)), text);
        QCOMPARE(pingColor(ping(ms)), color);
    }

    // Seconds after the snapshot: now, and when the age text next reads differently.
    void ageChanges_data() {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("next");
        QTest::newRow("fresh") << 0.0 << 5.0;
        QTest::newRow("from a clock ahead of ours") << -40.0 << 5.0;
        QTest::newRow("seconds tick") << 12.3 << 13.0;
        QTest::newRow("last second") << 59.9 << 60.0;
        QTest::newRow("minutes") << 61.0 << 120.0;
        QTest::newRow("last minute") << 3599.0 << 3600.0;
        QTest::newRow("hours") << 3600.0 << 7200.0;
        QTest::newRow("days") << 200'000.0 << 259'200.0;
    }
    void ageChanges() {
        QFETCH(double, elapsed);
        QFETCH(double, next);
        const Timestamp now = noon + std::chrono::duration_cast<Timestamp::duration>(Seconds(elapsed));
        QCOMPARE(between(noon, nextAgeChange(noon, now)).count(), next);
    }

    void statusLine_data() {
        QTest::addColumn<QList<HostPing>>("hosts");
        QTest::addColumn<int>("age");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("measured");
        const QList<HostPing> fast{{u"a"_s, u"A"_s, 12.4}};
        QTest::newRow("first host counts") << QList<HostPing>{{u"a"_s, u"A"_s, 80}, {u"b"_s, u"B"_s, 1}} << 30
                                           << u"↓ 1.2 MB/s ↑ 1000 KB/s · 80 ms"_s << u"orange"_s << u"30 s temu"_s;
        QTest::newRow("lost") << QList<HostPing>{{u"a"_s, u"A"_s, std::nullopt}} << 30
                              << u"↓ 1.2 MB/s ↑ 1000 KB/s · x ms"_s << u"red"_s << u"30 s temu"_s;
        QTest::newRow("no hosts") << QList<HostPing>{} << 30 << u"↓ 1.2 MB/s ↑ 1000 KB/s"_s << u"none"_s
                                  << u"30 s temu"_s;
        // The program writes at least every 30 s while it runs.
        QTest::newRow("two minutes old, still fresh")
            << fast << 120 << u"↓ 1.2 MB/s ↑ 1000 KB/s · 12 ms"_s << u"green"_s << u"2 min temu"_s;
        QTest::newRow("older is stale") << fast << 420 << u"↓ 1.2 MB/s ↑ 1000 KB/s · 12 ms · 7 min temu"_s << u"stale"_s
                                        << u"7 min temu (nieaktualny)"_s;
        QTest::newRow("stale without hosts") << QList<HostPing>{} << 121 << u"↓ 1.2 MB/s ↑ 1000 KB/s · 2 min temu"_s
                                             << u"stale"_s << u"2 min temu (nieaktualny)"_s;
    }
    void statusLine() {
        QFETCH(QList<HostPing>, hosts);
        QFETCH(int, age);
        QFETCH(QString, text);
        QFETCH(QString, cls);
        QFETCH(QString, measured);
        Snapshot s = snapshot(hosts);
        s.time = noon - std::chrono::seconds(age);
        const QJsonObject o = status(s);
        QCOMPARE(o.value("text"_L1).toString(), text);
        QCOMPARE(o.value("class"_L1).toString(), cls);
        const QStringList tip = o.value("tooltip"_L1).toString().split(u'\n');
        QCOMPARE(tip.size(), hosts.size() + 2);
        QCOMPARE(tip.last(), u"Pomiar: "_s + measured);
    }

    void statusTooltipNamesEverything() {
        Snapshot s = snapshot({{u"1.1.1.1"_s, u"<b>dom</b> & co"_s, 3}, {u"nas"_s, u"nas"_s, std::nullopt}});
        s.exit = u"nl-exit\n\x1b[2J"_s;
        s.hotspot = true;
        s.hotspotToday = 0;
        s.time = noon;
        // Host names are the user's text, not markup; what the file says cannot forge a line or drive a terminal.
        QCOMPARE(status(s).value("tooltip"_L1).toString(),
                 u"&lt;b&gt;dom&lt;/b&gt; &amp; co: 3 ms\nnas: x ms\n↓ 1.2 MB/s ↑ 1000 KB/s\n"
                 "Wyjście przez exit node: nl-exit\\x0a\\x1b[2J\nHotspot: 0 B dziś\nPomiar: teraz"_s);
        const QJsonObject off = status(std::nullopt);
        QCOMPARE(off.value("text"_L1).toString(), u"Uruchom Tarnwick"_s);
        QCOMPARE(off.value("class"_L1).toString(), u"off"_s);
    }
};

QTEST_GUILESS_MAIN(TestWidgetTexts)
#include "tst_widget_texts.moc"
