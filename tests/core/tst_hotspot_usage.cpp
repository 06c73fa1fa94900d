#include "core/hotspot_usage.h"
#include "support/fake_clock.h"
#include "support/hostile_file.h"
#include "support/session_bus.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

platform::Interfaces tethered(quint64 in, quint64 out, const QString& iface = u"enx1"_s, int bits = 64) {
    platform::Interfaces i;
    i.bytes = {{iface, {in, out}}, {u"lo"_s, {5, 5}}};
    i.ipv4 = {{iface, u"172.20.10.2"_s}, {u"lo"_s, u"127.0.0.1"_s}};
    i.counterBits = bits;
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

    std::unique_ptr<HotspotUsage> make(double limitGB = 0) {
        Preferences prefs(dir.filePath(u"prefs-%1.conf"_s.arg(files)));
        prefs.setHotspotLimitGB(limitGB);
        return std::make_unique<HotspotUsage>(
            HotspotUsage::Deps{&clock, file, prefs, [this](const platform::Notification& n) { posted.append(n); }});
    }

    void writeFile(const QByteArray& content) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

private slots:
    void init() {
        file = dir.filePath(u"data-%1/Tarnwick/hotspot-usage.json"_s.arg(++files));
        clock.set(FakeClock::at(2026, 3, 14, 12, 0, 0));
        posted.clear();
    }

    void tetheringTest_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("tethered");
        QTest::newRow("hotspot client") << u"172.20.10.2"_s << true;
        QTest::newRow("last hotspot address") << u"172.20.10.15"_s << true;
        QTest::newRow("beyond the range") << u"172.20.10.16"_s << false;
        QTest::newRow("other subnet") << u"172.20.11.2"_s << false;
        QTest::newRow("longer third octet") << u"172.20.100.2"_s << false;
    }
    void tetheringTest() {
        QFETCH(QString, address);
        QFETCH(bool, tethered);
        auto u = make();
        u->update({{{u"eth0"_s, {0, 0}}}, {{u"eth0"_s, address}}});
        QCOMPARE(u->active(), tethered);
    }

    void countsDayMonthAndSession() {
        auto u = make();
        u->update(tethered(1000, 500));
        QCOMPARE(u->state().dayBytes, 0u); // the first reading is only a baseline
        u->update(tethered(4000, 1500));
        QCOMPARE(u->state().dayBytes, 4000u);
        QCOMPARE(u->state().monthBytes, 4000u);
        QCOMPARE(u->session(), 4000u);
        QCOMPARE(u->state().day, u"2026-03-14"_s);
        QCOMPARE(u->state().month, u"2026-03"_s);
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

    void counterWidthDecidesWhatADecreaseMeans() {
        // A 32-bit counter that went down wrapped: 4 294 967 000 → 200 is 496 bytes.
        auto narrow = make();
        narrow->update(tethered(4'294'967'000u, 0, u"enx1"_s, 32));
        narrow->update(tethered(200, 0, u"enx1"_s, 32));
        QCOMPARE(narrow->state().dayBytes, 496u);
        // A 64-bit counter never wraps: the same drop is a reset and counts nothing.
        init();
        auto wide = make();
        wide->update(tethered(4'294'967'000u, 0));
        wide->update(tethered(200, 0));
        wide->update(tethered(300, 0));
        QCOMPARE(wide->state().dayBytes, 100u);
    }

    void midnightAndMonthEnd() {
        clock.set(FakeClock::at(2026, 1, 31, 23, 59, 58));
        auto u = make();
        u->update(tethered(0, 0));
        u->update(tethered(1000, 0));
        clock.set(FakeClock::at(2026, 2, 1, 0, 0, 0));
        u->update(tethered(1500, 0));
        QCOMPARE(u->state().day, u"2026-02-01"_s);
        QCOMPARE(u->state().dayBytes, 500u);
        QCOMPARE(u->state().monthBytes, 500u);
        clock.set(FakeClock::at(2026, 2, 2, 0, 0, 1));
        u->update(tethered(1600, 0));
        QCOMPARE(u->state().dayBytes, 100u);
        QCOMPARE(u->state().monthBytes, 600u);
    }

    void warnsOnceAMonthAtEightyPercent() {
        auto u = make(10);
        QCOMPARE(u->limit(), 10'000'000'000u);
        u->update(tethered(0, 0));
        u->update(tethered(7'999'999'999u, 0));
        QVERIFY(posted.isEmpty());
        u->update(tethered(8'000'000'000u, 0));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(posted[0].id, u"hotspot80"_s);
        QCOMPARE(posted[0].title, u"Hotspot: 80% limitu"_s);
        QCOMPARE(posted[0].body, u"W tym miesiącu zużyto już ponad 80% ustawionego limitu danych."_s);
        u->update(tethered(9'000'000'000u, 0));
        QCOMPARE(posted.size(), 1);
        // Remembered in the file: a restart in the same month stays quiet; a new month may warn again.
        u.reset();
        auto again = make(10);
        again->update(tethered(0, 0));
        again->update(tethered(1, 0));
        QCOMPARE(posted.size(), 1);
        clock.set(FakeClock::at(2026, 4, 1, 8, 0, 0));
        again->update(tethered(8'000'000'001u, 0));
        QCOMPARE(posted.size(), 2);
    }

    void limitRules_data() {
        QTest::addColumn<double>("gb");
        QTest::addColumn<quint64>("bytes");
        QTest::newRow("none") << 0.0 << quint64(0);
        QTest::newRow("negative") << -5.0 << quint64(0);
        QTest::newRow("fraction") << 1.5 << quint64(1'500'000'000);
        QTest::newRow("capped") << 1e9 << quint64(100'000'000'000'000);
    }
    void limitRules() {
        QFETCH(double, gb);
        QFETCH(quint64, bytes);
        auto u = make(gb);
        QCOMPARE(u->limit(), bytes);
        u->update(tethered(0, 0));
        u->update(tethered(900'000'000'000'000u, 0));
        QCOMPARE(posted.size(), bytes ? 1 : 0);
    }

    void savesEveryFifteenAdditionsAndRestores() {
        auto u = make();
        u->update(tethered(0, 0));
        for (int i = 1; i <= 14; ++i)
            u->update(tethered(quint64(i) * 10, 0));
        QVERIFY(!QFile::exists(file));
        u->update(tethered(150, 0));
        const QJsonObject o = QJsonDocument::fromJson(contents(file)).object();
        QCOMPARE(o.keys(), (QStringList{u"day"_s, u"dayBytes"_s, u"month"_s, u"monthBytes"_s, u"warned"_s}));
        QCOMPARE(o.value(u"dayBytes"_s).toInteger(), 150);
        u->update(tethered(160, 0));
        u->save();
        u.reset();
        auto restored = make();
        QCOMPARE(restored->state().dayBytes, 160u);
        QCOMPARE(restored->session(), 0u);
    }

    void damagedFileIsSetAside_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray(R"({"day":"2026-03-14","dayBytes":12)");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\x01", 5);
        QTest::newRow("missing key") << QByteArray(R"({"day":"d","dayBytes":1,"month":"m","monthBytes":1})");
        QTest::newRow("negative") << QByteArray(R"({"day":"d","dayBytes":-1,"month":"m","monthBytes":1,"warned":""})");
        QTest::newRow("beyond 64 bits") << QByteArray(
            R"({"day":"d","dayBytes":1e30,"month":"m","monthBytes":1,"warned":""})");
        QTest::newRow("deep nesting") << QByteArray(60000, '[');
    }
    void damagedFileIsSetAside() {
        QFETCH(QByteArray, content);
        writeFile(content);
        auto u = make();
        QCOMPARE(u->state(), UsageState());
        const QStringList aside =
            QDir(QFileInfo(file).path()).entryList({u"hotspot-usage.damaged-*.json"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(contents(QFileInfo(file).path() + u'/' + aside.first()), content);
        u->update(tethered(0, 0));
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
            u->update(tethered(quint64(i) * 100, 0));
        u->save();
        QCOMPARE(hostile::lookAt(file), before);
    }

    // Which names count as ours is the shared helper's to test.
    void staleTemporariesAreRemovedAtStart() {
        QDir().mkpath(QFileInfo(file).path());
        QFile stale(file + u".AbC12z"_s);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        QVERIFY(stale.setFileTime(QDateTime::currentDateTime().addSecs(-90), QFileDevice::FileModificationTime));
        make();
        QVERIFY(!stale.exists());
    }

    void largeButValidCountsAreKept() {
        writeFile(R"({"day":"2026-03-14","dayBytes":9223372036854775807,"month":"2026-03",)"
                  R"("monthBytes":9223372036854775807,"warned":""})");
        auto u = make(10);
        u->update(tethered(0, 0));
        u->update(tethered(1000, 0));
        QVERIFY(u->state().monthBytes > quint64(9223372036854775807));
        QCOMPARE(posted.size(), 1);
    }

    void unwritableFolderKeepsTotalsInMemory() {
        // A file where the folder should be: nothing can be created below it, even by root.
        QFile blocker(dir.filePath(u"blocked"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        file = blocker.fileName() + u"/Tarnwick/hotspot-usage.json"_s;
        auto u = make();
        for (int i = 0; i <= 20; ++i)
            u->update(tethered(quint64(i) * 100, 0));
        u->save();
        QCOMPARE(u->state().dayBytes, 2000u);
    }

    void notificationReachesTheDesktopOncePerMonth() {
        SessionBus bus;
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        NotificationService service(bus.address());
        QVERIFY(service.ok());
        Preferences prefs(dir.filePath(u"bus.conf"_s));
        prefs.setHotspotLimitGB(1);
        HotspotUsage u({&clock, file, prefs, platform::notify});
        u.update(tethered(0, 0));
        u.update(tethered(800'000'000, 0));
        u.update(tethered(900'000'000, 0));
        QTRY_COMPARE(service.shown().size(), 1);
        QTest::qWait(300);
        QCOMPARE(service.shown().size(), 1);
        QCOMPARE(service.shown()[0].summary, u"Hotspot: 80% limitu"_s);
        QCOMPARE(service.shown()[0].body, u"W tym miesiącu zużyto już ponad 80% ustawionego limitu danych."_s);
        QCOMPARE(service.shown()[0].hints.value(u"x-tarnwick-id"_s).toString(), u"hotspot80"_s);
        clock.set(FakeClock::at(2026, 4, 2, 9, 0, 0));
        u.update(tethered(1'800'000'000, 0));
        QTRY_COMPARE(service.shown().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestHotspotUsage)
#include "tst_hotspot_usage.moc"
