#include "core/monitor.h"
#include "support/fake_clock.h"
#include "support/netns.h"
#include "support/temp_home.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// The monitor on a real interface: a veth link carrying a phone-hotspot address inside namespaces made by
// the test, with real traffic across it.
class TestMonitorNetns : public QObject {
    Q_OBJECT

    TempHome home;
    FakeClock clock;
    std::unique_ptr<VethPair> link;

    quint64 kernel(const char* counter) {
        return link->inA(u"cat /sys/class/net/eth7/statistics/"_s + QLatin1StringView(counter)).trimmed().toULongLong();
    }

private slots:
    void initTestCase() {
        QString why;
        link = VethPair::create(u"eth7"_s, u"172.20.10.2/28"_s, u"172.20.10.1/28"_s, &why);
        if (!link)
            QSKIP(qPrintable(why));
    }

    void cleanupTestCase() { link.reset(); }

    void ratesNameAndHotspotTotalsFollowTheKernel() {
        link->enterA();
        Monitor::Deps d;
        d.clock = &clock;
        d.ping = [](const QString&, QObject*, auto) {};
        d.tailnet = [](QObject*, auto done) { done(std::nullopt); };
        d.prefs = Preferences(home.config() + u"/prefs.conf"_s);
        d.usage.file = home.data() + u"/usage.json"_s;
        d.usage.notify = [](const platform::Notification&) {};
        d.hosts = QStringList{u"172.20.10.1"_s};
        auto m = std::make_unique<Monitor>(std::move(d));

        const quint64 rx0 = kernel("rx_bytes"), tx0 = kernel("tx_bytes");
        m->refresh();
        QCOMPARE(m->network(), u"hotspot iPhone"_s);
        QVERIFY(m->usage().active());

        link->exchange(40, 1200);
        clock.advance(2s);
        m->refresh();
        const quint64 rx1 = kernel("rx_bytes"), tx1 = kernel("tx_bytes");
        QVERIFY2(rx1 - rx0 >= 40 * 1200 && tx1 - tx0 >= 40 * 1200, "the datagrams crossed the link");
        QCOMPARE(m->down(), (rx1 - rx0) / 2.0);
        QCOMPARE(m->up(), (tx1 - tx0) / 2.0);
        QCOMPARE(m->usage().state().dayBytes, (rx1 - rx0) + (tx1 - tx0));
        QCOMPARE(m->usage().state().monthBytes, m->usage().state().dayBytes);
        QCOMPARE(m->usage().session(), m->usage().state().dayBytes);

        // The next day starts from zero while the month goes on.
        clock.set(FakeClock::at(2026, 3, 15, 0, 0, 1));
        link->exchange(10, 500);
        m->refresh();
        const quint64 rx2 = kernel("rx_bytes"), tx2 = kernel("tx_bytes");
        QCOMPARE(m->usage().state().dayBytes, (rx2 - rx1) + (tx2 - tx1));
        QCOMPARE(m->usage().state().monthBytes, (rx2 - rx0) + (tx2 - tx0));
        m.reset();
        link->leave();
    }
};

QTEST_GUILESS_MAIN(TestMonitorNetns)
#include "tst_monitor_netns.moc"
