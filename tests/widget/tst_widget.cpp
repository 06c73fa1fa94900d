#include "support/rows.h"
#include "support/temp_home.h"
#include "widget/desktop_widget.h"
#include "widget/provider.h"
#include "widget/status_line.h"
#include "widget/widget_view.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Role = Item::Role;

namespace {

const Timestamp noon = fromReferenceSeconds(800'000'000);
const std::optional<double> lost;

QList<HostPing> hosts(int n) {
    QList<HostPing> list;
    for (int i = 0; i < n; ++i)
        list.append({u"10.0.0.%1"_s.arg(i + 1), u"host %1"_s.arg(i + 1), 10.0 * (i + 1)});
    return list;
}

Snapshot snapshot(QList<HostPing> list, double down = 999'999, double up = 1'000'000, Seconds age = 75s) {
    Snapshot s;
    s.time = noon - std::chrono::duration_cast<Timestamp::duration>(age);
    s.down = down;
    s.up = up;
    s.hosts = std::move(list);
    return s;
}

// One compact line, or nothing to compare.
QJsonObject status(const std::optional<Snapshot>& s) {
    const QByteArray line = statusLine(s, noon);
    return line.contains('\n') ? QJsonObject() : QJsonDocument::fromJson(line).object();
}

QList<Item> layout(Family f, const std::optional<Snapshot>& s, const QPalette& p = QPalette()) {
    return WidgetView{f, {noon, s}}.layout(p, noon);
}

QList<Item> withRole(const QList<Item>& items, Role r) {
    QList<Item> found;
    for (const Item& i : items)
        if (i.role == r)
            found.append(i);
    return found;
}

QStringList texts(const QList<Item>& items, Role r) {
    QStringList t;
    for (const Item& i : withRole(items, r))
        t.append(i.text);
    return t;
}

// The situations a user meets, for the checks below.
QMap<QString, std::optional<Snapshot>> scenarios() {
    QMap<QString, std::optional<Snapshot>> m;
    Snapshot normal = snapshot(
        {{u"1.1.1.1"_s, u"Cloudflare"_s, 23.4}, {u"192.168.1.1"_s, u"router"_s, 2.1}, {u"nas"_s, u"nas"_s, lost}},
        2'345'678, 123'456);
    m[u"normal"_s] = normal;
    normal.hotspot = true;
    normal.hotspotToday = 123'456'789;
    normal.exit = u"nl-ams-exit"_s;
    normal.down = normal.up = 999'999;
    normal.time = noon - 4000s;
    m[u"exit-hotspot-busy"_s] = normal;
    Snapshot names = snapshot(hosts(6), 987'600'000, 456'700'000);
    for (HostPing& h : names.hosts)
        h.name = u"%1 with a name far too long for any widget"_s.arg(h.host);
    names.hosts[0].ms = 1234.5;
    names.hosts[3].ms = lost;
    names.hotspot = true;
    names.hotspotToday = 999'999'999'999;
    m[u"long-names"_s] = names;
    Snapshot huge = snapshot({{u"h"_s, u"h"_s, 123456789.0}}, 9.9e12, 9.9e12);
    huge.hotspot = true;
    huge.hotspotToday = ~quint64(0);
    huge.exit = u"x"_s;
    m[u"extremes"_s] = huge;
    m[u"placeholder"_s] = Provider().placeholder(noon).snap;
    m[u"no-snapshot"_s] = std::nullopt;
    return m;
}

} // namespace

class TestWidget : public QObject {
    Q_OBJECT

    TempHome home;

    QRect area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

private slots:
    void init() { QFile::remove(QSettings(u"Tarnwick"_s, u"Widget"_s).fileName()); }

    void statusLines() {
        // The program writes at least every 30 s while it runs: past two minutes the figures are stale.
        const QJsonObject o = status(snapshot({{u"a"_s, u"A"_s, 12.4}}, 1'200'000, 999'999, 121s));
        QCOMPARE(o.value("text"_L1).toString(), u"↓ 1.2 MB/s ↑ 1000 KB/s · 12 ms · 2 min temu"_s);
        QCOMPARE(o.value("class"_L1).toString(), u"stale"_s);
        Snapshot s =
            snapshot({{u"1.1.1.1"_s, u"<b>dom</b> & co"_s, 3}, {u"nas"_s, u"nas"_s, lost}}, 1'200'000, 999'999, 0s);
        s.exit = u"nl-exit\n\x1b[2J"_s;
        s.hotspot = true;
        s.hotspotToday = 0;
        // Host names are the user's text, not markup; what the file says cannot forge a line or drive a terminal.
        QCOMPARE(status(s).value("tooltip"_L1).toString(),
                 u"&lt;b&gt;dom&lt;/b&gt; &amp; co: 3 ms\nnas: x ms\n↓ 1.2 MB/s ↑ 1000 KB/s\n"
                 "Wyjście przez exit node: nl-exit\\x0a\\x1b[2J\nHotspot: 0 B dziś\nPomiar: teraz"_s);
    }

    // Hosts in the snapshot, family, and the expected rows; the small family shows the first host's figure.
    void bodyLayout() {
        const QStringList four{u"host 1"_s, u"host 2"_s, u"host 3"_s, u"host 4"_s};
        const QStringList ms{u"10 ms"_s, u"20 ms"_s, u"30 ms"_s, u"40 ms"_s};
        const std::tuple<Family, int, QStringList> rows[] = {
            {Family::Small, 3, {}}, {Family::Medium, 0, {}}, {Family::Medium, 6, four}};
        for (const auto& [family, count, names] : rows) {
            const QList<Item> items = layout(family, snapshot(hosts(count)));
            ROW_COMPARE(count, texts(items, Role::RowName), names);
            ROW_COMPARE(count, texts(items, Role::RowMs), ms.first(names.size()));
            const bool small = family == Family::Small;
            ROW_COMPARE(count, texts(items, Role::BigMs), small ? QStringList{u"10"_s} : QStringList());
            ROW_COMPARE(count, texts(items, Role::FirstName), small ? QStringList{u"host 1"_s} : QStringList());
            ROW_COMPARE(count, withRole(items, Role::Dot).size(), names.size());
            // Rates and age are always there.
            ROW_COMPARE(count, texts(items, Role::Down), QStringList{u"↓ 1000 KB/s"_s});
            ROW_COMPARE(count, texts(items, Role::Age), QStringList{u"1 min"_s});
        }
    }

    void markers() {
        for (const bool on : {false, true}) {
            Snapshot s = snapshot(hosts(2));
            s.hotspot = on;
            s.hotspotToday = 0;
            if (on)
                s.exit = u"nl-exit"_s;
            for (Family f : {Family::Small, Family::Medium}) {
                const QList<Item> items = layout(f, s);
                QCOMPARE(withRole(items, Role::PhoneIcon).size(), int(on));
                QCOMPARE(withRole(items, Role::ExitIcon).size(), int(on));
                QCOMPARE(texts(items, Role::Hotspot), on ? QStringList{u"0 B dziś"_s} : QStringList());
            }
        }
    }

    // Whatever the figures, every piece stays inside the widget's margins and nothing on a line overlaps.
    void everythingFits() {
        const auto all = scenarios();
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            const std::optional<Snapshot>& snap = it.value();
            for (const Family family : {Family::Small, Family::Medium}) {
                const QString row = it.key() + (family == Family::Small ? u" small"_s : u" medium"_s);
                const QRectF inner = QRectF(QPointF(), familySize(family)).adjusted(15.5, 15.5, -15.5, -15.5);
                const QList<Item> items = layout(family, snap);
                for (const Item& i : items) {
                    QVERIFY2(inner.contains(i.rect), qPrintable(row + u": "_s + i.text));
                    for (const Item& j : items)
                        if (&i != &j && i.role != Role::MsUnit && j.role != Role::MsUnit)
                            QVERIFY2(!i.rect.intersects(j.rect),
                                     qPrintable(row + u": "_s + i.text + u" / "_s + j.text));
                }
                if (snap && snap->hotspot)
                    QVERIFY2(texts(items, Role::Hotspot).value(0).endsWith(u" dziś"_s), qPrintable(row));
                if (!snap)
                    QCOMPARE(texts(items, Role::Message), QStringList{u"Uruchom Tarnwick"_s});
                // Names give way; pings and rates up to a gigabyte a second are whole.
                QStringList whole = texts(items, Role::RowMs);
                if (snap && snap->down < 1e9 && snap->up < 1e9)
                    whole += texts(items, Role::Down) + texts(items, Role::Up);
                for (const QString& t : std::as_const(whole))
                    QVERIFY2(!t.contains(u'…'), qPrintable(row + u": "_s + t));
            }
        }
    }

    void desktopWidgetStartsAtTheTopRight() {
        DesktopWidget w(Family::Medium);
        QVERIFY(area().contains(w.geometry()));
        QVERIFY(w.geometry().right() > area().center().x() && w.geometry().top() < area().center().y());
        QVERIFY(w.flags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint));
    }

    void desktopWidgetRemembersWhereItWasPut() {
        {
            DesktopWidget w(Family::Small);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.setPosition(40, 60);
            QTRY_COMPARE(QSettings(u"Tarnwick"_s, u"Widget"_s).value(u"small/position"_s).toPoint(), QPoint(40, 60));
        }
        QCOMPARE(DesktopWidget(Family::Small).position(), QPoint(40, 60));
        // A place saved on a bigger screen, or one that is gone, is pulled back onto this one.
        for (const QPoint stored : {QPoint(50'000, 40'000), QPoint(-3000, -2000)}) {
            QSettings(u"Tarnwick"_s, u"Widget"_s).setValue(u"medium/position"_s, stored);
            const DesktopWidget w(Family::Medium);
            QVERIFY2(area().contains(w.geometry()), qPrintable(u"%1,%2"_s.arg(w.x()).arg(w.y())));
        }
    }
};

QTEST_MAIN(TestWidget)
#include "tst_widget.moc"
