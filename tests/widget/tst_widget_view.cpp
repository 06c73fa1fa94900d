#include "widget/provider.h"
#include "widget/widget_view.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Role = Item::Role;

namespace {

const Timestamp noon = fromReferenceSeconds(800'000'000);
const QColor green(0x34, 0xC7, 0x59), red(0xFF, 0x3B, 0x30);

QList<HostPing> hosts(int n) {
    QList<HostPing> list;
    for (int i = 0; i < n; ++i)
        list.append({u"10.0.0.%1"_s.arg(i + 1), u"host %1"_s.arg(i + 1), 10.0 * (i + 1)});
    return list;
}

Snapshot snapshot(QList<HostPing> list) {
    Snapshot s;
    s.time = noon - 75s;
    s.down = 999'999;
    s.up = 1'000'000;
    s.hosts = std::move(list);
    return s;
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

QPalette light() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0xf6, 0xf6, 0xf6));
    p.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Highlight, QColor(0x00, 0x7a, 0xff));
    return p;
}

// The situations a user meets, for the checks below.
QMap<QString, std::optional<Snapshot>> scenarios() {
    QMap<QString, std::optional<Snapshot>> m;
    Snapshot normal = snapshot({{u"1.1.1.1"_s, u"Cloudflare"_s, 23.4},
                                {u"192.168.1.1"_s, u"router"_s, 2.1},
                                {u"nas"_s, u"nas"_s, std::nullopt}});
    normal.down = 2'345'678;
    normal.up = 123'456;
    m.insert(u"normal"_s, normal);
    Snapshot hotspot = normal;
    hotspot.hotspot = true;
    hotspot.hotspotToday = 123'456'789;
    hotspot.hosts[0].ms = 143;
    m.insert(u"hotspot"_s, hotspot);
    Snapshot exit = normal;
    exit.exit = u"nl-ams-exit"_s;
    exit.hosts[0].ms = 250;
    exit.time = noon - 4000s;
    m.insert(u"exit"_s, exit);
    Snapshot both = hotspot;
    both.exit = u"nl-ams-exit"_s;
    both.down = 999'999;
    both.up = 999'999;
    m.insert(u"exit-hotspot-busy"_s, both);
    Snapshot six = snapshot(hosts(6));
    six.hosts[1].name = u"a host whose name is far too long to fit into one row of the widget"_s;
    six.hosts[2].ms = 80;
    six.hosts[3].ms = std::nullopt;
    m.insert(u"six-hosts"_s, six);
    Snapshot names = snapshot(hosts(4));
    for (HostPing& h : names.hosts)
        h.name = u"%1 with a name far too long for any widget"_s.arg(h.host);
    names.hosts[0].ms = 1234.5;
    names.down = 987'600'000;
    names.up = 456'700'000;
    names.hotspot = true;
    names.hotspotToday = 999'999'999'999;
    m.insert(u"long-names"_s, names);
    m.insert(u"no-hosts"_s, snapshot({}));
    m.insert(u"placeholder"_s, Provider().placeholder(noon).snap);
    m.insert(u"no-snapshot"_s, std::nullopt);
    return m;
}

} // namespace

class TestWidgetView : public QObject {
    Q_OBJECT

private slots:
    void withoutSnapshotAsksToStartTheApp_data() {
        QTest::addColumn<Family>("family");
        QTest::newRow("small") << Family::Small;
        QTest::newRow("medium") << Family::Medium;
    }
    void withoutSnapshotAsksToStartTheApp() {
        QFETCH(Family, family);
        const QList<Item> items = layout(family, std::nullopt);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].role, Role::Message);
        QCOMPARE(items[0].text, u"Uruchom Tarnwick"_s);
        QCOMPARE(items[0].rect.center(), QRectF(QPointF(), familySize(family)).center());
    }

    // Hosts in the snapshot, family, and the expected rows (empty: the big number).
    void bodyLayout_data() {
        QTest::addColumn<Family>("family");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("small without hosts") << Family::Small << 0 << QStringList();
        QTest::newRow("medium without hosts") << Family::Medium << 0 << QStringList();
        QTest::newRow("medium, one host") << Family::Medium << 1 << QStringList{u"host 1"_s};
        QTest::newRow("medium, six hosts")
            << Family::Medium << 6 << QStringList{u"host 1"_s, u"host 2"_s, u"host 3"_s, u"host 4"_s};
    }
    void bodyLayout() {
        QFETCH(Family, family);
        QFETCH(int, count);
        QFETCH(QStringList, rows);
        const QList<Item> items = layout(family, snapshot(hosts(count)));
        QCOMPARE(texts(items, Role::RowName), rows);
        QCOMPARE(withRole(items, Role::Dot).size(), rows.size());
        QCOMPARE(withRole(items, Role::RowMs).size(), rows.size());
        for (const Item& dot : withRole(items, Role::Dot))
            QCOMPARE(dot.color, green);
        QVERIFY(withRole(items, Role::BigMs).isEmpty());
        // Header, rates and age are always there, top to bottom.
        QCOMPARE(texts(items, Role::Title), QStringList{u"Tarnwick"_s});
        QCOMPARE(texts(items, Role::Down), QStringList{u"↓ 1000 KB/s"_s});
        QCOMPARE(texts(items, Role::Up), QStringList{u"↑ 1.0 MB/s"_s});
        QCOMPARE(texts(items, Role::Age), QStringList{u"1 min"_s});
        const qreal rates = withRole(items, Role::Down)[0].rect.top();
        QVERIFY(withRole(items, Role::Title)[0].rect.bottom() < rates);
        QVERIFY(rates < withRole(items, Role::Age)[0].rect.top());
        for (const Item& row : withRole(items, Role::RowName))
            QVERIFY(row.rect.bottom() <= rates);
    }

    void smallShowsTheFirstHostOnly() {
        QList<HostPing> list = hosts(3);
        list[0].ms = std::nullopt;
        const QList<Item> items = layout(Family::Small, snapshot(list));
        QCOMPARE(texts(items, Role::BigMs), QStringList{u"x"_s});
        QCOMPARE(withRole(items, Role::BigMs)[0].color, red);
        QCOMPARE(texts(items, Role::MsUnit), QStringList{u"ms"_s});
        QCOMPARE(texts(items, Role::FirstName), QStringList{u"host 1"_s});
        QVERIFY(withRole(items, Role::RowName).isEmpty());
        // "ms" sits on the number's baseline, right after it.
        const Item big = withRole(items, Role::BigMs)[0], unit = withRole(items, Role::MsUnit)[0];
        QCOMPARE(unit.baseline, big.baseline);
        QVERIFY(unit.rect.left() >= big.rect.right());
        QVERIFY(withRole(items, Role::FirstName)[0].rect.top() > big.rect.top());
    }

    void markers_data() {
        QTest::addColumn<bool>("hotspot");
        QTest::addColumn<bool>("exit");
        QTest::newRow("neither") << false << false;
        QTest::newRow("hotspot") << true << false;
        QTest::newRow("exit node") << false << true;
        QTest::newRow("both") << true << true;
    }
    void markers() {
        QFETCH(bool, hotspot);
        QFETCH(bool, exit);
        Snapshot s = snapshot(hosts(2));
        s.hotspot = hotspot;
        s.hotspotToday = 0;
        if (exit)
            s.exit = u"nl-exit"_s;
        for (Family f : {Family::Small, Family::Medium}) {
            const QList<Item> items = layout(f, s, light());
            QCOMPARE(withRole(items, Role::PhoneIcon).size(), int(hotspot));
            QCOMPARE(withRole(items, Role::ExitIcon).size(), int(exit));
            QCOMPARE(texts(items, Role::Hotspot), hotspot ? QStringList{u"0 B dziś"_s} : QStringList());
            if (exit)
                QCOMPARE(withRole(items, Role::ExitIcon)[0].color, light().color(QPalette::Highlight));
            // The markers sit at the right end of the header, after the title.
            const Item title = withRole(items, Role::Title)[0];
            for (Role r : {Role::PhoneIcon, Role::ExitIcon})
                for (const Item& icon : withRole(items, r))
                    QVERIFY(icon.rect.left() > title.rect.right() && icon.rect.top() < title.rect.bottom());
        }
    }

    // Whatever the figures, every piece stays inside the widget's margins and nothing on a line overlaps.
    void everythingFits_data() {
        QTest::addColumn<Family>("family");
        QTest::addColumn<std::optional<Snapshot>>("snap");
        const auto all = scenarios();
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            QTest::addRow("small %s", qPrintable(it.key())) << Family::Small << it.value();
            QTest::addRow("medium %s", qPrintable(it.key())) << Family::Medium << it.value();
        }
        Snapshot huge = snapshot({{u"h"_s, u"h"_s, 123456789.0}});
        huge.down = 9.9e12;
        huge.up = 9.9e12;
        huge.hotspot = true;
        huge.hotspotToday = ~quint64(0);
        huge.exit = u"x"_s;
        QTest::newRow("small extremes") << Family::Small << std::optional(huge);
        QTest::newRow("medium extremes") << Family::Medium << std::optional(huge);
    }
    void everythingFits() {
        QFETCH(Family, family);
        QFETCH(std::optional<Snapshot>, snap);
        const QRectF inner = QRectF(QPointF(), familySize(family)).adjusted(15.5, 15.5, -15.5, -15.5);
        const QList<Item> items = layout(family, snap);
        for (const Item& i : items) {
            QVERIFY2(inner.contains(i.rect), qPrintable(i.text));
            for (const Item& j : items)
                if (&i != &j && i.role != Role::MsUnit && j.role != Role::MsUnit)
                    QVERIFY2(!i.rect.intersects(j.rect), qPrintable(i.text + u" / "_s + j.text));
        }
        if (snap && snap->hotspot)
            QVERIFY(texts(items, Role::Hotspot).value(0).endsWith(u" dziś"_s));
        // Names give way; pings and rates up to a gigabyte a second are whole. Only the rates row is in the
        // medium weight.
        for (const QString& ms : texts(items, Role::RowMs))
            QVERIFY2(ms.endsWith(u" ms"_s) && !ms.contains(u'…'), qPrintable(ms));
        const bool sane = snap && snap->down < 1e9 && snap->up < 1e9;
        for (const Item& i : items) {
            if (sane && (i.role == Role::Down || i.role == Role::Up))
                QVERIFY2(!i.text.contains(u'…'), qPrintable(i.text));
            if (i.role == Role::Age)
                QCOMPARE(i.font.weight(), QFont::Normal);
            if (i.role == Role::Down)
                QCOMPARE(i.font.weight(), QFont::Medium);
        }
    }

    // Every scenario renders in both families, light and dark, with see-through rounded corners and the
    // palette's window colour at the middle of the edges.
    void renders() {
        const auto all = scenarios();
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            for (const QPalette& p : {light(), darkPalette()}) {
                for (const Family family : {Family::Small, Family::Medium}) {
                    const QImage image = WidgetView{family, {noon, it.value()}}.render(p, noon, 2);
                    QCOMPARE(image.size(), (familySize(family) * 2).toSize());
                    QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
                    QCOMPARE(qAlpha(image.pixel(image.width() - 2, image.height() - 2)), 0);
                    QCOMPARE(image.pixelColor(image.width() / 2, 8), p.color(QPalette::Window));
                }
            }
        }
    }
};

QTEST_MAIN(TestWidgetView)
#include "tst_widget_view.moc"
