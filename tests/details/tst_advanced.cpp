#include "details/advanced.h"
#include "support/fake_clock.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

platform::Interfaces reading(quint64 wlan, quint64 eth, int bits = 64) {
    platform::Interfaces i;
    i.bytes = {{u"wlan0"_s, {wlan, wlan / 2}}, {u"eth0"_s, {eth, 0}}, {u"lo"_s, {9, 9}}, {u"tun0"_s, {0, 0}}};
    i.ipv4 = {{u"wlan0"_s, u"192.168.1.5"_s}, {u"eth0"_s, u"10.0.0.5"_s}, {u"lo"_s, u"127.0.0.1"_s}};
    i.counterBits = bits;
    return i;
}

} // namespace

class TestAdvanced : public QObject {
    Q_OBJECT

private slots:
    void interfaceRates() {
        FakeClock clock;
        Advanced a(clock);
        QSignalSpy changed(&a, &Advanced::changed);
        a.update(reading(1000, 1000));
        QVERIFY(a.ifaces().isEmpty());
        clock.advance(2s);
        a.update(reading(5000, 3000));
        // Sorted by name, loopback and address-less interfaces left out.
        QCOMPARE(a.ifaces(), (QList<Flow>{{u"eth0"_s, 1000, 0}, {u"wlan0"_s, 2000, 1000}}));
        QCOMPARE(changed.count(), 1);
        // Same instant: rates stay, counters are taken.
        a.update(reading(9000, 3000));
        QCOMPARE(a.ifaces()[1].down, 2000.0);
        clock.advance(1s);
        a.update(reading(10000, 3000));
        QCOMPARE(a.ifaces()[1].down, 1000.0);
    }

    void newInterfaceAppearsFromItsSecondReading() {
        FakeClock clock;
        Advanced a(clock);
        platform::Interfaces first = reading(0, 0);
        first.bytes.remove(u"eth0"_s);
        a.update(first);
        clock.advance(2s);
        a.update(reading(100, 100));
        QCOMPARE(a.ifaces().size(), 1);
        clock.advance(2s);
        a.update(reading(100, 300));
        QCOMPARE(a.ifaces().size(), 2);
    }

    void counterDropDependsOnItsWidth() {
        FakeClock clock;
        Advanced narrow(clock), wide(clock);
        narrow.update(reading(4'294'967'000u, 0, 32));
        wide.update(reading(4'294'967'000u, 0, 64));
        clock.advance(1s);
        narrow.update(reading(200, 0, 32));
        wide.update(reading(200, 0, 64));
        QCOMPARE(narrow.ifaces()[1].down, 496.0);
        QCOMPARE(wide.ifaces()[1].down, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestAdvanced)
#include "tst_advanced.moc"
