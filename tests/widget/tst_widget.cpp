#include "support/rows.h"
#include "support/temp_home.h"
#include "widget/age_change.h"
#include "widget/desktop_widget.h"
#include "widget/provider.h"
#include "widget/status_line.h"
#include "widget/w_format.h"
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
const QColor green(0x34, 0xC7, 0x59), orange(0xFF, 0x95, 0x00), red(0xFF, 0x3B, 0x30);
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
    m[u"no-hosts"_s] = snapshot({});
    m[u"placeholder"_s] = Provider().placeholder(noon).snap;
    m[u"no-snapshot"_s] = std::nullopt;
    return m;
}

QVariant saved(const QString& key) {
    return QSettings(u"Tarnwick"_s, u"Widget"_s).value(key);
}

} // namespace

class TestWidget : public QObject {
    Q_OBJECT

    TempHome home;

    QRect area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

private slots:
    void init() { QFile::remove(QSettings(u"Tarnwick"_s, u"Widget"_s).fileName()); }

    void figures() {
        const std::pair<double, QString> rates[] = {{0.0, u"0 KB/s"_s},           {499.0, u"0 KB/s"_s},
                                                    {500.0, u"1 KB/s"_s},         {999'999.0, u"1000 KB/s"_s},
                                                    {1'000'000.0, u"1.0 MB/s"_s}, {123'456'789.0, u"123.5 MB/s"_s},
                                                    {-300.0, u"0 KB/s"_s}}; // no minus zero
        for (const auto& [bytes, text] : rates)
            ROW_COMPARE(bytes, wRate(bytes), text);
        const struct {
            std::optional<double> ms;
            QString text;
            QColor color;
        } pings[] = {{lost, u"x"_s, red},    {0.0, u"0"_s, green},    {23.5, u"24"_s, green},
                     {79.9, u"80"_s, green}, {80.0, u"80"_s, orange}, {200.0, u"200"_s, orange},
                     {200.1, u"200"_s, red}, {2500.4, u"2500"_s, red}};
        for (const auto& [ms, text, color] : pings) {
            ROW_COMPARE(ms.value_or(-1), wMs(ms), text);
            ROW_COMPARE(ms.value_or(-1), pingColor(ms), color);
        }
        // Seconds after the snapshot: now, and when the age text next reads differently.
        const std::pair<double, double> ages[] = {{0.0, 5.0},       {-40.0, 5.0},          {12.3, 13.0},
                                                  {59.9, 60.0},     {61.0, 120.0},         {3599.0, 3600.0},
                                                  {3600.0, 7200.0}, {200'000.0, 259'200.0}};
        for (const auto& [elapsed, next] : ages) {
            const Timestamp now = noon + std::chrono::duration_cast<Timestamp::duration>(Seconds(elapsed));
            ROW_COMPARE(elapsed, between(noon, nextAgeChange(noon, now)).count(), next);
        }
    }

    void statusLines() {
        const QList<HostPing> fast{{u"a"_s, u"A"_s, 12.4}};
        const QString rates = u"↓ 1.2 MB/s ↑ 1000 KB/s"_s;
        // The program writes at least every 30 s while it runs: two minutes old is still fresh.
        const struct {
            QList<HostPing> hosts;
            int age;
            QString text, cls, measured;
        } rows[] = {
            {{{u"a"_s, u"A"_s, 80}, {u"b"_s, u"B"_s, 1}}, 30, rates + u" · 80 ms"_s, u"orange"_s, u"30 s temu"_s},
            {{{u"a"_s, u"A"_s, lost}}, 30, rates + u" · x ms"_s, u"red"_s, u"30 s temu"_s},
            {{}, 30, rates, u"none"_s, u"30 s temu"_s},
            {fast, 120, rates + u" · 12 ms"_s, u"green"_s, u"2 min temu"_s},
            {fast, 420, rates + u" · 12 ms · 7 min temu"_s, u"stale"_s, u"7 min temu (nieaktualny)"_s},
            {{}, 121, rates + u" · 2 min temu"_s, u"stale"_s, u"2 min temu (nieaktualny)"_s},
        };
        for (const auto& row : rows) {
            const QJsonObject o = status(snapshot(row.hosts, 1'200'000, 999'999, Seconds(row.age)));
            ROW_COMPARE(row.text, o.value("text"_L1).toString(), row.text);
            ROW_COMPARE(row.text, o.value("class"_L1).toString(), row.cls);
            const QStringList tip = o.value("tooltip"_L1).toString().split(u'\n');
            ROW_COMPARE(row.text, tip.size(), row.hosts.size() + 2);
            ROW_COMPARE(row.text, tip.last(), u"Pomiar: "_s + row.measured);
        }
        Snapshot s =
            snapshot({{u"1.1.1.1"_s, u"<b>dom</b> & co"_s, 3}, {u"nas"_s, u"nas"_s, lost}}, 1'200'000, 999'999, 0s);
        s.exit = u"nl-exit\n\x1b[2J"_s;
        s.hotspot = true;
        s.hotspotToday = 0;
        // Host names are the user's text, not markup; what the file says cannot forge a line or drive a terminal.
        QCOMPARE(status(s).value("tooltip"_L1).toString(),
                 u"&lt;b&gt;dom&lt;/b&gt; &amp; co: 3 ms\nnas: x ms\n↓ 1.2 MB/s ↑ 1000 KB/s\n"
                 "Wyjście przez exit node: nl-exit\\x0a\\x1b[2J\nHotspot: 0 B dziś\nPomiar: teraz"_s);
        const QJsonObject off = status(std::nullopt);
        QCOMPARE(off.value("text"_L1).toString(), u"Uruchom Tarnwick"_s);
        QCOMPARE(off.value("class"_L1).toString(), u"off"_s);
    }

    void withoutSnapshotAsksToStartTheApp() {
        for (const Family family : {Family::Small, Family::Medium}) {
            const QList<Item> items = layout(family, std::nullopt);
            QCOMPARE(items.size(), 1);
            QCOMPARE(items[0].role, Role::Message);
            QCOMPARE(items[0].text, u"Uruchom Tarnwick"_s);
            QCOMPARE(items[0].rect.center(), QRectF(QPointF(), familySize(family)).center());
        }
    }

    // Hosts in the snapshot, family, and the expected rows (empty: the big number).
    void bodyLayout() {
        const QStringList four{u"host 1"_s, u"host 2"_s, u"host 3"_s, u"host 4"_s};
        const QStringList ms{u"10 ms"_s, u"20 ms"_s, u"30 ms"_s, u"40 ms"_s};
        const std::tuple<Family, int, QStringList> rows[] = {{Family::Small, 0, {}},
                                                             {Family::Medium, 0, {}},
                                                             {Family::Medium, 1, {u"host 1"_s}},
                                                             {Family::Medium, 6, four}};
        for (const auto& [family, count, names] : rows) {
            const QList<Item> items = layout(family, snapshot(hosts(count)));
            ROW_COMPARE(count, texts(items, Role::RowName), names);
            ROW_COMPARE(count, texts(items, Role::RowMs), ms.first(names.size()));
            for (const Item& dot : withRole(items, Role::Dot))
                ROW_COMPARE(count, dot.color, green);
            ROW_COMPARE(count, withRole(items, Role::Dot).size() + withRole(items, Role::BigMs).size(), names.size());
            // Header, rates and age are always there, top to bottom.
            ROW_COMPARE(count, texts(items, Role::Title), QStringList{u"Tarnwick"_s});
            ROW_COMPARE(count, texts(items, Role::Down), QStringList{u"↓ 1000 KB/s"_s});
            ROW_COMPARE(count, texts(items, Role::Up), QStringList{u"↑ 1.0 MB/s"_s});
            ROW_COMPARE(count, texts(items, Role::Age), QStringList{u"1 min"_s});
            const qreal top = withRole(items, Role::Down)[0].rect.top();
            QVERIFY(withRole(items, Role::Title)[0].rect.bottom() < top);
            QVERIFY(top < withRole(items, Role::Age)[0].rect.top());
            for (const Item& row : withRole(items, Role::RowName))
                QVERIFY(row.rect.bottom() <= top);
        }
    }

    void smallShowsTheFirstHostOnly() {
        QList<HostPing> list = hosts(3);
        list[0].ms = lost;
        const QList<Item> items = layout(Family::Small, snapshot(list));
        QCOMPARE(texts(items, Role::BigMs), QStringList{u"x"_s});
        QCOMPARE(withRole(items, Role::BigMs)[0].color, red);
        QCOMPARE(texts(items, Role::MsUnit), QStringList{u"ms"_s});
        QCOMPARE(texts(items, Role::FirstName), QStringList{u"host 1"_s});
        QVERIFY(withRole(items, Role::RowName).isEmpty());
        // "ms" sits on the number's baseline, right after it.
        const Item big = withRole(items, Role::BigMs)[0], unit = withRole(items, Role::MsUnit)[0];
        QVERIFY(unit.baseline == big.baseline && unit.rect.left() >= big.rect.right());
    }

    void markers() {
        for (const bool hotspot : {false, true}) {
            for (const bool exit : {false, true}) {
                Snapshot s = snapshot(hosts(2));
                s.hotspot = hotspot;
                s.hotspotToday = 0;
                if (exit)
                    s.exit = u"nl-exit"_s;
                for (Family f : {Family::Small, Family::Medium}) {
                    const QList<Item> items = layout(f, s);
                    QCOMPARE(withRole(items, Role::PhoneIcon).size(), int(hotspot));
                    QCOMPARE(withRole(items, Role::ExitIcon).size(), int(exit));
                    QCOMPARE(texts(items, Role::Hotspot), hotspot ? QStringList{u"0 B dziś"_s} : QStringList());
                    if (exit)
                        QCOMPARE(withRole(items, Role::ExitIcon)[0].color, QPalette().color(QPalette::Highlight));
                    // The markers sit at the right end of the header, after the title.
                    const Item title = withRole(items, Role::Title)[0];
                    for (Role r : {Role::PhoneIcon, Role::ExitIcon})
                        for (const Item& icon : withRole(items, r))
                            QVERIFY(icon.rect.left() > title.rect.right() && icon.rect.top() < title.rect.bottom());
                }
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
            QTRY_COMPARE(saved(u"small/position"_s).toPoint(), QPoint(40, 60));
        }
        // Each size keeps its own place.
        QCOMPARE(DesktopWidget(Family::Small).position(), QPoint(40, 60));
        QVERIFY(!saved(u"medium/position"_s).isValid());
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
