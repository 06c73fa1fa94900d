#include "core/hotspot_usage.h"
#include "support/fake_clock.h"
#include "support/hostile_file.h"
#include "support/rows.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

platform::Interfaces tethered(quint64 in, quint64 out = 0, const QString& iface = u"enx1"_s, int bits = 64) {
    platform::Interfaces i;
    i.counterBits = bits;
    i.bytes = {{iface, {in, out}}, {u"lo"_s, {5, 5}}};
    i.ipv4 = {{iface, u"172.20.10.2"_s}, {u"lo"_s, u"127.0.0.1"_s}};
    return i;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestHotspotUsage : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    FakeClock clock;
    QList<platform::Notification> posted;
    int files = 0;
    QString file;

    std::unique_ptr<HotspotUsage> make(double limitGB = 0, HotspotUsage::Notifier notify = {}) {
        Preferences prefs(dir.filePath(u"prefs-%1.conf"_s.arg(files)));
        prefs.setHotspotLimitGB(limitGB);
        if (!notify)
            notify = [this](const platform::Notification& n) { posted.append(n); };
        return std::make_unique<HotspotUsage>(HotspotUsage::Deps{&clock, file, prefs, notify});
    }

    // A fresh file name for each case, with nothing posted yet.
    void fresh() {
        file = dir.filePath(u"data-%1/Tarnwick/hotspot-usage.json"_s.arg(++files));
        posted.clear();
    }

    void writeFile(const QByteArray& content) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

private slots:
    void init() {
        fresh();
        clock.set(FakeClock::at(2026, 3, 14, 12, 0, 0));
    }

    void countsDayMonthAndSession() {
        auto u = make();
        u->update(tethered(1000, 500));
        u->update(tethered(4000, 1500));
        // Another interface: only a new baseline.
        u->update(tethered(90000, 90000, u"enx2"_s));
        QCOMPARE(u->state().dayBytes, 4000u);
        // Leaving keeps the session figure; coming back starts a new one.
        u->update({{{u"wlan0"_s, {1, 1}}}, {{u"wlan0"_s, u"192.168.1.5"_s}}});
        QVERIFY(!u->active());
        QCOMPARE(u->session(), 4000u);
        u->update(tethered(100, 100));
        u->update(tethered(200, 100));
        QCOMPARE(u->session(), 100u);
        QCOMPARE(u->state().dayBytes, 4100u);
    }

    // A 32-bit counter that went down wrapped; a 64-bit one never wraps, so the same drop is a reset that counts
    // nothing.
    void counterDrops() {
        for (const auto& [bits, counted] : {std::pair(32, 496u + 100u), std::pair(64, 100u)}) {
            fresh();
            auto u = make();
            u->update(tethered(4'294'967'000u, 0, u"enx1"_s, bits));
            u->update(tethered(200, 0, u"enx1"_s, bits));
            u->update(tethered(300, 0, u"enx1"_s, bits));
            QCOMPARE(u->state().dayBytes, counted);
        }
    }

    void midnightAndMonthEnd() {
        clock.set(FakeClock::at(2026, 1, 31, 23, 59, 58));
        auto u = make();
        u->update(tethered(0));
        u->update(tethered(1000));
        clock.set(FakeClock::at(2026, 2, 1, 0, 0, 0));
        u->update(tethered(1500));
        QCOMPARE(u->state(), (UsageState{u"2026-02-01"_s, 500, u"2026-02"_s, 500, {}}));
    }

    void warnsOnceAMonthAtEightyPercent() {
        // Without a limit nothing warns.
        auto none = make(0);
        none->update(tethered(0));
        none->update(tethered(900'000'000'000'000u));
        QVERIFY(posted.isEmpty());
        fresh();
        auto u = make(10);
        u->update(tethered(0));
        u->update(tethered(8'000'000'000u));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(posted[0].title, u"Hotspot: 80% limitu"_s);
        u->update(tethered(9'000'000'000u));
        QCOMPARE(posted.size(), 1);
        // Remembered in the file: a restart in the same month stays quiet; a new month may warn again.
        u.reset();
        auto again = make(10);
        again->update(tethered(0));
        again->update(tethered(1));
        QCOMPARE(posted.size(), 1);
        clock.set(FakeClock::at(2026, 4, 1, 8, 0, 0));
        again->update(tethered(8'000'000'001u));
        QCOMPARE(posted.size(), 2);
    }

    void savesAndRestores() {
        auto u = make();
        u->update(tethered(0));
        u->update(tethered(160));
        u->save();
        u.reset();
        auto restored = make();
        QCOMPARE(restored->state().dayBytes, 160u);
        QCOMPARE(restored->session(), 0u);
    }

    void damagedFileIsSetAside() {
        const QByteArray content = R"({"day":"d","dayBytes":1.5,"month":"m","monthBytes":1,"warned":""})";
        writeFile(content);
        auto u = make();
        QCOMPARE(u->state(), UsageState());
        const QStringList aside =
            QDir(QFileInfo(file).path()).entryList({u"hotspot-usage.damaged-*.json"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(contents(QFileInfo(file).path() + u'/' + aside.first()), content);
        u->update(tethered(0));
        u->save();
        QVERIFY(UsageState::decode(contents(file)));
    }

    // Not damage: the totals may be intact, so the file stays as it is and this run writes nothing over it.
    void unreadableFileIsKept_data() { hostile::addRows(); }
    void unreadableFileIsKept() {
        QFETCH(hostile::Kind, kind);
        if (hostile::cannotMake(kind))
            QSKIP("root reads every file");
        QVERIFY(hostile::place(file, kind, UsageState{u"2026-03-14"_s, 7, u"2026-03"_s, 7, {}}.encode()));
        const QString before = hostile::lookAt(file);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"nie można odczytać .*hotspot-usage.json"_s));
        auto u = make();
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        for (int i = 0; i <= 20; ++i)
            u->update(tethered(quint64(i) * 100));
        u->save();
        QCOMPARE(hostile::lookAt(file), before);
    }
};

QTEST_GUILESS_MAIN(TestHotspotUsage)
#include "tst_hotspot_usage.moc"
