#include "scenarios.h"

#include "common/texts.h"
#include "support/temp_home.h"
#include "views/advanced_view.h"
#include "views/cell.h"
#include "views/exit_card.h"
#include "views/hotspot_card.h"
#include "views/label.h"
#include "views/menu_row.h"
#include "views/panel.h"
#include "views/quality_row.h"
#include "views/symbol_button.h"
#include "views/tab_button.h"
#include "views/tab_strip.h"
#include "views/toggle.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using Values = QList<std::optional<double>>;

namespace {

// A panel on a scenario, recording the commands it sends.
struct Host {
    explicit Host(Scenario& s)
        : panel(s.m(), s.prefs(), s.ps(), 340, [this](const QString& id) { sent.append(id); }) {
        panel.show();
    }
    template <class W = Label> W* find(const QString& name) const { return panel.findChild<W*>(name); }
    QString text(const QString& name) const { return find(name)->text(); }

    QStringList sent;
    Panel panel;
};

UsageState usage(quint64 month) {
    UsageState u;
    u.day = u"2026-03-14"_s;
    u.month = u"2026-03"_s;
    u.monthBytes = month;
    u.warned = u.month;
    return u;
}

Tailnet running(std::optional<QString> exit) {
    Tailnet t;
    t.state = u"Running"_s;
    t.exitName = std::move(exit);
    return t;
}

} // namespace

class TestPanel : public QObject {
    Q_OBJECT

private slots:
    void overview();
    void noHosts();
    void hostGrid_data();
    void hostGrid();
    void tabs_data();
    void tabs();
    void staleTabFallsBackToOverview();
    void advancedSwitch();
    void commands_data();
    void commands();
    void pin();
    void hiddenPanelWaits();
    void outageList_data();
    void outageList();
    void hotspotCard_data();
    void hotspotCard();
    void exitCard_data();
    void exitCard();

private:
    TempHome home_;
};

void TestPanel::overview() {
    auto s = overviewScenario();
    Host h(*s);
    QVERIFY(h.find<QWidget>(u"overview"_s)->isVisible());
    const auto rows = h.find<QWidget>(u"overview"_s)->findChildren<QualityRow*>();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0]->title(), u"Router"_s);
    QCOMPARE(rows[1]->title(), u"DNS"_s);
    QCOMPARE(rows[1]->time(), u"x"_s);
    QCOMPARE(rows[2]->time(), u"250 ms"_s);
    QCOMPARE(h.text(u"title"_s), u"hotspot iPhone (Ania)"_s);

    QVERIFY(h.find(u"recent"_s)->isVisible());
    const auto labels = h.panel.findChildren<Label*>(u"eventLabel"_s);
    QCOMPARE(labels.size(), 5);
    QCOMPARE(labels.first()->text(), u"hotspot iPhone (Ania)"_s);
    QCOMPARE(labels.last()->text(), u"Wi-Fi Dom"_s);
    QCOMPARE(h.panel.findChildren<Label*>(u"eventDetail"_s).last()->text(), u"start Tarnwick"_s);
    // Hours and minutes, also where the locale's short style has seconds (the C locale's does).
    for (const Label* time : h.panel.findChildren<Label*>(u"eventTime"_s))
        QVERIFY2(QRegularExpression(u"^\\d{1,2}:\\d{2}$"_s).match(time->text()).hasMatch(), qPrintable(time->text()));

    QCOMPARE(h.text(u"exitTitle"_s), u"Wyjście przez exit node: nl-exit"_s);
    QCOMPARE(h.text(u"exitDetail"_s), u"przez DERP ams · 38 ms"_s);
}

void TestPanel::noHosts() {
    auto s = emptyScenario();
    Host h(*s);
    const auto tabs = h.find<TabStrip>(u"tabs"_s)->buttons();
    QCOMPARE(tabs.size(), 1);
    QCOMPARE(tabs[0]->text(), u"Przegląd"_s);
    QVERIFY(tabs[0]->selected());
    QVERIFY(h.find<QWidget>(u"overview"_s)->findChildren<QualityRow*>().isEmpty());
    QVERIFY(!h.panel.findChild<HotspotCard*>()->isVisible());
    QVERIFY(!h.panel.findChild<ExitCard*>()->isVisible());
    const auto cells = h.find<QWidget>(u"overview"_s)->findChildren<Cell*>();
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells[0]->value(), u"52 KB/s"_s);
    QCOMPARE(cells[1]->value(), u"8 KB/s"_s);
}

void TestPanel::hostGrid_data() {
    QTest::addColumn<Values>("replies");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("answers and a loss") << Values{10.0, 20.0, std::nullopt, 31.0}
                                        << QStringList{u"31 ms"_s, u"10 ms"_s, u"20 ms"_s,    u"31 ms"_s,
                                                       u"11 ms"_s, u"25 %"_s,  u"1.2 MB/s"_s, u"35 KB/s"_s};
    QTest::newRow("newest lost") << Values{12.4, 12.6, std::nullopt}
                                 << QStringList{u"x"_s,    u"12 ms"_s, u"13 ms"_s,    u"13 ms"_s,
                                                u"0 ms"_s, u"33 %"_s,  u"1.2 MB/s"_s, u"35 KB/s"_s};
    QTest::newRow("nothing answered") << Values{std::nullopt, std::nullopt}
                                      << QStringList{u"x"_s,    u"0 ms"_s,  u"0 ms"_s,     u"0 ms"_s,
                                                     u"0 ms"_s, u"100 %"_s, u"1.2 MB/s"_s, u"35 KB/s"_s};
}

void TestPanel::hostGrid() {
    QFETCH(Values, replies);
    QFETCH(QStringList, values);
    Scenario s({u"127.0.0.1"_s});
    for (const auto& reply : replies) {
        s.traffic(u"eth0"_s, u"192.168.1.20"_s, 1'200'000, 35'000);
        s.step({reply});
    }
    s.prefs().setTab(u"127.0.0.1"_s);
    Host h(s);
    QWidget* host = h.find<QWidget>(u"host"_s);
    QVERIFY(host->isVisible());
    QVERIFY(!h.find<QWidget>(u"overview"_s)->isVisible());
    QCOMPARE(h.text(u"title"_s), u"127.0.0.1"_s);
    QStringList labels;
    QStringList shown;
    for (const Cell* cell : host->findChildren<Cell*>()) {
        labels.append(cell->label());
        shown.append(cell->value());
    }
    QCOMPARE(labels, (QStringList{u"ostatni"_s, u"min (60 s)"_s, u"średni"_s, u"max"_s, u"jitter"_s, u"straty"_s,
                                  u"↓ pobieranie"_s, u"↑ wysyłanie"_s}));
    QCOMPARE(shown, values);
}

void TestPanel::tabs_data() {
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("more"); // the edges with tabs beyond them
    const QStringList three{u"127.0.0.1"_s, u"127.0.0.2"_s, u"127.0.0.3"_s};
    const QStringList five = three + QStringList{u"127.0.10.4"_s, u"127.0.10.5"_s};
    QTest::newRow("three labelled hosts fit") << three << u"127.0.0.2"_s << QString();
    QTest::newRow("five hosts, overview chosen") << five << u"Przeglad"_s << u"right"_s;
    QTest::newRow("five hosts, the last chosen") << five << u"127.0.10.5"_s << u"left"_s;
    QTest::newRow("a name wider than the strip")
        << QStringList{u"host-with-a-name-far-too-long-for-any-tab.example.org"_s} << u"Przeglad"_s << QString();
}

// However many and long the names: the overview tab is whole, the host tabs keep their natural width (a
// single one wider than the strip is cut and tells its name in the tooltip), the chosen tab is in view, an
// overflowing strip shows its chevron and scrolls on a click, and the panel keeps its width.
void TestPanel::tabs() {
    QFETCH(QStringList, hosts);
    QFETCH(QString, chosen);
    QFETCH(QString, more);
    Scenario s(hosts, {{u"127.0.0.1"_s, u"Router"_s}, {u"127.0.0.2"_s, u"DNS"_s}, {u"127.0.0.3"_s, u"Serwer"_s}});
    s.prefs().setTab(chosen);
    Host h(s);
    QCOMPARE(h.panel.width(), 340);
    const auto* strip = h.find<TabStrip>(u"tabs"_s);
    const QWidget* area = strip->hostArea();
    const TabButton* overview = strip->buttons().first();
    QCOMPARE(overview->width(), overview->sizeHint().width());
    QVERIFY(overview->geometry().right() < area->x());
    for (const TabButton* tab : strip->buttons().mid(1)) {
        QCOMPARE(tab->width(), std::min(tab->sizeHint().width(), area->width()));
        QCOMPARE(tab->toolTip(), tab->width() < tab->sizeHint().width() ? tab->text() : QString());
        if (tab->selected())
            QVERIFY(tab->x() >= 0 && tab->geometry().right() < area->width());
    }
    auto* left = area->findChild<QWidget*>(u"more-left"_s);
    auto* right = area->findChild<QWidget*>(u"more-right"_s);
    QCOMPARE(left->isVisible(), more == u"left"_s);
    QCOMPARE(right->isVisible(), more == u"right"_s);
    if (!right->isVisible())
        return;
    const int before = strip->buttons()[1]->x();
    QTest::mouseClick(right, Qt::LeftButton);
    QVERIFY(strip->buttons()[1]->x() < before);
    QVERIFY(left->isVisible());
}

void TestPanel::staleTabFallsBackToOverview() {
    auto s = overviewScenario();
    s->prefs().setTab(u"10.9.9.9"_s);
    Host h(*s);
    QVERIFY(h.find<QWidget>(u"overview"_s)->isVisible());
    QVERIFY(!h.find<QWidget>(u"host"_s)->isVisible());
    QCOMPARE(h.text(u"title"_s), u"10.9.9.9"_s);
    for (const TabButton* tab : h.find<TabStrip>(u"tabs"_s)->buttons())
        QVERIFY(!tab->selected());
    QCOMPARE(s->prefs().tab(), u"10.9.9.9"_s);

    QTest::mouseClick(h.find<TabButton>(u"tab-127.0.0.3"_s), Qt::LeftButton);
    QCOMPARE(s->prefs().tab(), u"127.0.0.3"_s);
    QVERIFY(h.find<TabButton>(u"tab-127.0.0.3"_s)->selected());
    QVERIFY(h.find<QWidget>(u"host"_s)->isVisible());
    QCOMPARE(h.text(u"title"_s), u"Serwer"_s);

    QTest::mouseClick(h.find<TabButton>(u"tab-Przeglad"_s), Qt::LeftButton);
    QCOMPARE(s->prefs().tab(), u"Przeglad"_s);
    QVERIFY(h.find<QWidget>(u"overview"_s)->isVisible());
}

void TestPanel::advancedSwitch() {
    auto s = historyScenario();
    Host h(*s);
    QVERIFY(h.find<QWidget>(u"host"_s)->isVisible());
    QCOMPARE(h.find<Toggle>(u"advanced"_s)->toolTip(), u"Zaawansowane (Alt + klik w ikonę)"_s);
    QTest::mouseClick(h.find<Toggle>(u"advanced"_s), Qt::LeftButton);
    QVERIFY(s->prefs().advanced());
    QCOMPARE(h.text(u"title"_s), u"Zaawansowane"_s);
    QVERIFY(h.panel.findChild<AdvancedView*>());
    QVERIFY(!h.find<QWidget>(u"host"_s)->isVisible());
    QVERIFY(h.find<TabButton>(u"tab-127.0.0.1"_s)->isVisible());

    QTest::mouseClick(h.find<Toggle>(u"advanced"_s), Qt::LeftButton);
    QVERIFY(!s->prefs().advanced());
    QVERIFY(!h.panel.findChild<AdvancedView*>());
    QVERIFY(h.find<QWidget>(u"host"_s)->isVisible());
    QCOMPARE(h.text(u"title"_s), u"Router"_s);
    QCOMPARE(s->prefs().tab(), u"127.0.0.1"_s);
}

void TestPanel::commands_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("key");
    QTest::newRow("gping") << u"gping"_s << u"Otwórz gping"_s << 0;
    QTest::newRow("mini") << u"mini"_s << u"Mini okno"_s << int(Qt::Key_M);
    QTest::newRow("refresh") << u"refresh"_s << u"Odśwież"_s << int(Qt::Key_R);
    QTest::newRow("settings") << u"settings"_s << u"Ustawienia…"_s << int(Qt::Key_Comma);
    QTest::newRow("about") << u"about"_s << u"O Tarnwick (v1.0)"_s << 0;
    QTest::newRow("quit") << u"quit"_s << u"Zakończ"_s << int(Qt::Key_Q);
}

void TestPanel::commands() {
    QFETCH(QString, id);
    QFETCH(QString, title);
    QFETCH(int, key);
    auto s = emptyScenario();
    Host h(*s);
    auto* row = h.find<MenuRow>(u"menu-"_s + id);
    QCOMPARE(row->text(), title);
    QTest::mouseClick(row, Qt::LeftButton);
    QCOMPARE(h.sent, QStringList{id});
    const QString hint = key ? QKeySequence(Qt::CTRL | Qt::Key(key)).toString(QKeySequence::NativeText) : QString();
    QCOMPARE(row->hint(), hint);
    if (!key)
        return;
    h.panel.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.panel));
    h.panel.setFocus();
    QTest::keyClick(&h.panel, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(h.sent, (QStringList{id, id}));
}

void TestPanel::pin() {
    auto s = emptyScenario();
    Host h(*s);
    auto* button = h.find<SymbolButton>(u"pin"_s);
    QCOMPARE(button->symbolName(), u"pin"_s);
    QCOMPARE(button->tone(), Label::Tone::Secondary);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(h.sent, QStringList{u"pin"_s});
    QVERIFY(!s->prefs().pinned());

    s->prefs().setPinned(true);
    h.panel.reload();
    QCOMPARE(button->symbolName(), u"pin.fill"_s);
    QCOMPARE(button->tone(), Label::Tone::Accent);
    QCOMPARE(button->toolTip(), u"Odepnij panel"_s);
}

void TestPanel::hiddenPanelWaits() {
    Scenario s({u"127.0.0.1"_s});
    s.step({5.0});
    Host h(s);
    const QString before = h.text(u"updated"_s);
    h.panel.hide();
    s.step({6.0});
    QCOMPARE(h.text(u"updated"_s), before);
    h.panel.show();
    QVERIFY(h.text(u"updated"_s) != before);
    QCOMPARE(h.panel.findChild<QualityRow*>()->time(), u"6 ms"_s);
}

void TestPanel::outageList_data() {
    // Lost pings per outage of the tab's host, oldest first, each after a minute of answers; negative: still going on.
    QTest::addColumn<QList<int>>("outages");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("none") << QList<int>{} << QStringList{u"brak"_s};
    QTest::newRow("ongoing first") << QList<int>{3, -4} << QStringList{u"12:02 · trwa"_s, u"12:01 · 6 s"_s};
    QTest::newRow("five newest of six") << QList<int>{8, 3, 3, 3, 3, 67}
                                        << QStringList{u"12:06 · 2 min 14 s"_s, u"12:05 · 6 s"_s, u"12:04 · 6 s"_s,
                                                       u"12:03 · 6 s"_s, u"12:02 · 6 s"_s};
}

void TestPanel::outageList() {
    QFETCH(QList<int>, outages);
    QFETCH(QStringList, lines);
    Scenario s({u"127.0.0.1"_s, u"127.0.0.2"_s});
    Timestamp t = s.clock().now();
    const auto ping = [&](const QString& host, int n, std::optional<double> ms) {
        for (int i = 0; i < n; ++i, t += std::chrono::seconds(2))
            s.m().longHistory().add(host, host, u"Dom"_s, {t, ms});
    };
    for (int lost : outages) {
        ping(u"127.0.0.1"_s, 30, 10.0);
        ping(u"127.0.0.1"_s, std::abs(lost), std::nullopt);
        ping(u"127.0.0.1"_s, int(lost > 0), 10.0);
    }
    // Another host's outage is not listed.
    ping(u"127.0.0.2"_s, 3, std::nullopt);
    s.prefs().setTab(u"127.0.0.1"_s);
    Host h(s);
    QStringList shown;
    for (const Label* line : h.panel.findChildren<Label*>(u"outage"_s)) {
        if (line->isVisible())
            shown.append(line->text());
    }
    QCOMPARE(shown, lines);
    const Label* first = h.find(u"outage"_s);
    QCOMPARE(first->color(),
             toneColor(outages.isEmpty() ? Label::Tone::Secondary : Label::Tone::Primary, first->palette()));
}

void TestPanel::hotspotCard_data() {
    QTest::addColumn<bool>("tethered");
    QTest::addColumn<quint64>("month");
    QTest::addColumn<double>("limitGB");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("session");
    QTest::addColumn<QString>("share"); // empty when no limit
    QTest::addColumn<QColor>("fill");
    QTest::newRow("idle, nothing this month") << false << quint64(0) << 10.0 << false << false << QString() << QColor();
    QTest::newRow("idle with traffic, no limit")
        << false << quint64(5'000'000'000) << 0.0 << true << false << QString() << QColor();
    QTest::newRow("tethered, nothing yet") << true << quint64(0) << 0.0 << true << true << QString() << QColor();
    QTest::newRow("under 80 %") << false << quint64(5'000'000'000) << 10.0 << true << false << u"50%"_s
                                << colors::green;
    QTest::newRow("at 80 %") << false << quint64(8'000'000'000) << 10.0 << true << false << u"80%"_s << colors::orange;
    QTest::newRow("over the limit") << false << quint64(12'000'000'000) << 10.0 << true << false << u"100%"_s
                                    << colors::red;
}

void TestPanel::hotspotCard() {
    QFETCH(bool, tethered);
    QFETCH(quint64, month);
    QFETCH(double, limitGB);
    QFETCH(bool, shown);
    QFETCH(bool, session);
    QFETCH(QString, share);
    QFETCH(QColor, fill);
    Scenario s({}, {}, usage(month), limitGB);
    s.traffic(u"wlan0"_s, tethered ? u"172.20.10.2"_s : u"192.168.1.20"_s, 0, 0);
    s.step({});
    QWidget parent;
    auto& card = *new HotspotCard(s.m().usage(), &parent);
    parent.show();
    QCOMPARE(card.isVisible(), shown);
    if (!shown)
        return;
    QCOMPARE(card.findChild<Label*>(u"hotspotTotals"_s)->text(),
             u"Hotspot: "_s + byteCount(0) + u" dziś · "_s + byteCount(month) + u" w marcu"_s);
    QCOMPARE(card.findChild<Label*>(u"hotspotSession"_s)->isVisible(), session);
    QWidget* meter = card.findChild<QWidget*>(u"hotspotMeter"_s);
    QCOMPARE(meter->isVisible(), !share.isEmpty());
    if (share.isEmpty())
        return;
    QCOMPARE(card.findChild<Label*>(u"hotspotShare"_s)->text(),
             share + u" z limitu "_s + byteCount(quint64(limitGB * 1e9)));
    const QImage image = meter->grab().toImage();
    QCOMPARE(image.pixelColor(6, 4), fill);
}

void TestPanel::exitCard_data() {
    QTest::addColumn<std::optional<Tailnet>>("tailnet");
    QTest::addColumn<QString>("title"); // empty when the card is hidden
    QTest::addColumn<QString>("detail");
    Tailnet relayed = running(u"nl-exit"_s);
    relayed.exitRelay = u"ams"_s;
    relayed.exitPing = 41.5;
    Tailnet direct = running(u"nl-exit"_s);
    direct.exitDirect = true;
    direct.exitAddr = u"203.0.113.7:41641"_s;
    Tailnet stopped = relayed;
    stopped.state = u"Stopped"_s;
    QTest::newRow("no status") << std::optional<Tailnet>() << QString() << QString();
    QTest::newRow("not running") << std::optional(stopped) << QString() << QString();
    QTest::newRow("through a relay") << std::optional(relayed) << u"Wyjście przez exit node: nl-exit"_s
                                     << u"przez DERP ams · 42 ms"_s;
    QTest::newRow("direct, no answer") << std::optional(direct) << u"Wyjście przez exit node: nl-exit"_s
                                       << u"direct 203.0.113.7:41641 · x"_s;
    QTest::newRow("no exit node") << std::optional(running(std::nullopt)) << u"Ruch bezpośrednio"_s
                                  << u"Tailscale , bez exit node"_s;
}

void TestPanel::exitCard() {
    QFETCH(std::optional<Tailnet>, tailnet);
    QFETCH(QString, title);
    QFETCH(QString, detail);
    QWidget parent;
    auto* card = new ExitCard(&parent);
    parent.show();
    card->setTailnet(tailnet);
    QCOMPARE(card->isVisible(), !title.isEmpty());
    if (title.isEmpty())
        return;
    QCOMPARE(card->findChild<Label*>(u"exitTitle"_s)->text(), title);
    QCOMPARE(card->findChild<Label*>(u"exitDetail"_s)->text(), detail);
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
