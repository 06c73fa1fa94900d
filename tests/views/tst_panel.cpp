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

    TempHome home_;

private slots:
    void overview() {
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
            QVERIFY2(QRegularExpression(u"^\\d{1,2}:\\d{2}$"_s).match(time->text()).hasMatch(),
                     qPrintable(time->text()));
        QVERIFY(h.panel.findChild<ExitCard*>()->isVisible());
    }

    void noHosts() {
        auto s = emptyScenario();
        Host h(*s);
        const auto tabs = h.find<TabStrip>(u"tabs"_s)->buttons();
        QCOMPARE(tabs.size(), 1);
        QCOMPARE(tabs[0]->text(), u"Przegląd"_s);
        QVERIFY(tabs[0]->selected());
        QVERIFY(h.find<QWidget>(u"overview"_s)->findChildren<QualityRow*>().isEmpty());
    }

    // Last, min, average, max, jitter and loss of the tab's host, and the rates.
    void hostGrid() {
        Scenario s({u"127.0.0.1"_s});
        for (const std::optional<double> reply : QList<std::optional<double>>{10.0, 20.0, std::nullopt, 31.0}) {
            s.traffic(u"eth0"_s, u"192.168.1.20"_s, 1'200'000, 35'000);
            s.step({reply});
        }
        s.prefs().setTab(u"127.0.0.1"_s);
        Host h(s);
        QWidget* host = h.find<QWidget>(u"host"_s);
        QVERIFY(host->isVisible());
        QVERIFY(!h.find<QWidget>(u"overview"_s)->isVisible());
        QCOMPARE(h.text(u"title"_s), u"127.0.0.1"_s);
        QStringList shown;
        for (const Cell* cell : host->findChildren<Cell*>())
            shown.append(cell->label() + u": "_s + cell->value());
        QCOMPARE(shown, (QStringList{u"ostatni: 31 ms"_s, u"min (60 s): 10 ms"_s, u"średni: 20 ms"_s, u"max: 31 ms"_s,
                                     u"jitter: 11 ms"_s, u"straty: 25 %"_s, u"↓ pobieranie: 1.2 MB/s"_s,
                                     u"↑ wysyłanie: 35 KB/s"_s}));
    }

    // An overflowing strip keeps the overview tab clear of the host tabs, shows its chevron on the edge with
    // tabs beyond it, scrolls on a click, and keeps the panel's width.
    void tabs() {
        Scenario s({u"127.0.0.1"_s, u"127.0.0.2"_s, u"127.0.0.3"_s, u"127.0.10.4"_s, u"127.0.10.5"_s});
        Host h(s);
        QCOMPARE(h.panel.width(), 340);
        const auto* strip = h.find<TabStrip>(u"tabs"_s);
        const QWidget* area = strip->hostArea();
        QVERIFY(strip->buttons().first()->geometry().right() < area->x());
        auto* left = area->findChild<QWidget*>(u"more-left"_s);
        auto* right = area->findChild<QWidget*>(u"more-right"_s);
        QVERIFY(!left->isVisible() && right->isVisible());
        const int before = strip->buttons()[1]->x();
        QTest::mouseClick(right, Qt::LeftButton);
        QVERIFY(strip->buttons()[1]->x() < before);
        QVERIFY(left->isVisible());
    }

    void staleTabFallsBackToOverview() {
        auto s = overviewScenario();
        s->prefs().setTab(u"10.9.9.9"_s);
        Host h(*s);
        QVERIFY(h.find<QWidget>(u"overview"_s)->isVisible());
        QVERIFY(!h.find<QWidget>(u"host"_s)->isVisible());

        QTest::mouseClick(h.find<TabButton>(u"tab-127.0.0.3"_s), Qt::LeftButton);
        QCOMPARE(s->prefs().tab(), u"127.0.0.3"_s);
        QVERIFY(h.find<QWidget>(u"host"_s)->isVisible());

        QTest::mouseClick(h.find<TabButton>(u"tab-Przeglad"_s), Qt::LeftButton);
        QCOMPARE(s->prefs().tab(), u"Przeglad"_s);
        QVERIFY(h.find<QWidget>(u"overview"_s)->isVisible());
    }

    void advancedSwitch() {
        auto s = historyScenario();
        Host h(*s);
        QVERIFY(h.find<QWidget>(u"host"_s)->isVisible());
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

    // Each menu row sends its command on a click.
    void commands() {
        const std::pair<QString, QString> rows[] = {
            {u"gping"_s, u"Otwórz gping"_s},   {u"mini"_s, u"Mini okno"_s},          {u"refresh"_s, u"Odśwież"_s},
            {u"settings"_s, u"Ustawienia…"_s}, {u"about"_s, u"O Tarnwick (v1.0)"_s}, {u"quit"_s, u"Zakończ"_s}};
        auto s = emptyScenario();
        Host h(*s);
        for (const auto& [id, title] : rows) {
            h.sent.clear();
            auto* row = h.find<MenuRow>(u"menu-"_s + id);
            QCOMPARE(row->text(), title);
            QTest::mouseClick(row, Qt::LeftButton);
            QCOMPARE(h.sent, QStringList{id});
        }
    }

    void pin() {
        auto s = emptyScenario();
        Host h(*s);
        QTest::mouseClick(h.find<SymbolButton>(u"pin"_s), Qt::LeftButton);
        QCOMPARE(h.sent, QStringList{u"pin"_s});
    }

    // The tab host's outages, newest first and at most five, each after a minute of answers.
    void outageList() {
        // Lost pings per outage, oldest first; negative: still going on.
        const std::tuple<QList<int>, QStringList> rows[] = {
            {{}, {u"brak"_s}},
            {{3, -4}, {u"12:02 · trwa"_s, u"12:01 · 6 s"_s}},
            {{8, 3, 3, 3, 3, 67},
             {u"12:06 · 2 min 14 s"_s, u"12:05 · 6 s"_s, u"12:04 · 6 s"_s, u"12:03 · 6 s"_s, u"12:02 · 6 s"_s}}};
        for (const auto& [outages, lines] : rows) {
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
        }
    }

    // The card shows while tethered or with traffic this month; the meter only with a limit.
    void hotspotCard() {
        const std::tuple<const char*, bool, quint64, double, bool, bool, QString> rows[] = {
            {"idle, nothing this month", false, 0, 10.0, false, false, {}},
            {"idle with traffic, no limit", false, 5'000'000'000, 0.0, true, false, {}},
            {"tethered, nothing yet", true, 0, 0.0, true, true, {}},
            {"under the limit", false, 5'000'000'000, 10.0, true, false, u"50%"_s},
            {"over the limit", false, 12'000'000'000, 10.0, true, false, u"100%"_s}};
        for (const auto& [name, tethered, month, limitGB, shown, session, share] : rows) {
            Scenario s({}, {}, usage(month), limitGB);
            s.traffic(u"wlan0"_s, tethered ? u"172.20.10.2"_s : u"192.168.1.20"_s, 0, 0);
            s.step({});
            QWidget parent;
            auto& card = *new HotspotCard(s.m().usage(), &parent);
            parent.show();
            QVERIFY2(card.isVisible() == shown, name);
            if (!shown)
                continue;
            QCOMPARE(card.findChild<Label*>(u"hotspotTotals"_s)->text(),
                     u"Hotspot: "_s + byteCount(0) + u" dziś · "_s + byteCount(month) + u" w marcu"_s);
            QVERIFY2(card.findChild<Label*>(u"hotspotSession"_s)->isVisible() == session, name);
            QWidget* meter = card.findChild<QWidget*>(u"hotspotMeter"_s);
            QVERIFY2(meter->isVisible() == !share.isEmpty(), name);
            if (share.isEmpty())
                continue;
            QCOMPARE(card.findChild<Label*>(u"hotspotShare"_s)->text(),
                     share + u" z limitu "_s + byteCount(quint64(limitGB * 1e9)));
        }
    }

    void exitCard() {
        Tailnet relayed = running(u"nl-exit"_s);
        relayed.exitRelay = u"ams"_s;
        relayed.exitPing = 41.5;
        Tailnet direct = running(u"nl-exit"_s);
        direct.exitDirect = true;
        direct.exitAddr = u"203.0.113.7:41641"_s;
        Tailnet stopped = relayed;
        stopped.state = u"Stopped"_s;
        const QString via = u"Wyjście przez exit node: nl-exit"_s;
        // An empty title: the card is hidden.
        const std::tuple<Tailnet, QString, QString> rows[] = {
            {stopped, {}, {}},
            {relayed, via, u"przez DERP ams · 42 ms"_s},
            {direct, via, u"direct 203.0.113.7:41641 · x"_s},
            {running(std::nullopt), u"Ruch bezpośrednio"_s, u"Tailscale , bez exit node"_s}};
        for (const auto& [tailnet, title, detail] : rows) {
            QWidget parent;
            auto* card = new ExitCard(&parent);
            parent.show();
            card->setTailnet(tailnet);
            QCOMPARE(card->isVisible(), !title.isEmpty());
            if (title.isEmpty())
                continue;
            QCOMPARE(card->findChild<Label*>(u"exitTitle"_s)->text(), title);
            QCOMPARE(card->findChild<Label*>(u"exitDetail"_s)->text(), detail);
        }
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
