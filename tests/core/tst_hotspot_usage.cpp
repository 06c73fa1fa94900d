#include "core/hotspot_usage.h"
#include "support/fake_clock.h"
#include "support/hostile_file.h"
#include "support/rows.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

platform::Interfaces tethered(quint64 in, quint64 out = 0, const QString& iface = u"enx1"_s, int bits = 64) {
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
        QCOMPARE(u->state().dayBytes, 0u); // the first reading is only a baseline
        u->update(tethered(4000, 1500));
        QCOMPARE(u->state(), (UsageState{u"2026-03-14"_s, 4000, u"2026-03"_s, 4000, {}}));
        QCOMPARE(u->session(), 4000u);
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
        // A 32-bit counter that went down wrapped: 4 294 967 000 → 200 is 496 bytes. A 64-bit counter never
        // wraps: the same drop is a reset and counts nothing.
        for (const int bits : {32, 64}) {
            fresh();
            auto w = make();
            for (const quint64 in : {4'294'967'000ull, 200ull, 300ull})
                w->update(tethered(in, 0, u"enx1"_s, bits));
            ROW_COMPARE(bits, w->state().dayBytes, quint64(bits == 32 ? 596 : 100));
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
        clock.set(FakeClock::at(2026, 2, 2, 0, 0, 1));
        u->update(tethered(1600));
        QCOMPARE(u->state().dayBytes, 100u);
        QCOMPARE(u->state().monthBytes, 600u);
    }

    void warnsOnceAMonthAtEightyPercent() {
        auto u = make(10);
        u->update(tethered(0));
        u->update(tethered(7'999'999'999u));
        QVERIFY(posted.isEmpty());
        u->update(tethered(8'000'000'000u));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(posted[0].id, u"hotspot80"_s);
        QCOMPARE(posted[0].title, u"Hotspot: 80% limitu"_s);
        QCOMPARE(posted[0].body, u"W tym miesiącu zużyto już ponad 80% ustawionego limitu danych."_s);
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
        // A month total too large to multiply is past any limit.
        fresh();
        writeFile(R"({"day":"2026-04-01","dayBytes":9223372036854775807,"month":"2026-04",)"
                  R"("monthBytes":9223372036854775807,"warned":""})");
        auto large = make(10);
        large->update(tethered(0));
        large->update(tethered(1000));
        QVERIFY(large->state().monthBytes > quint64(9223372036854775807));
        QCOMPARE(posted.size(), 1);
    }

    void limitRules() {
        const std::pair<double, quint64> rows[] = {
            {0.0, 0}, {-5.0, 0}, {1.5, 1'500'000'000}, {10, 10'000'000'000}, {1e9, 100'000'000'000'000}};
        for (const auto& [gb, bytes] : rows) {
            fresh();
            auto u = make(gb);
            ROW_COMPARE(gb, u->limit(), bytes);
            u->update(tethered(0));
            u->update(tethered(900'000'000'000'000u));
            ROW_COMPARE(gb, posted.size(), bytes ? 1 : 0);
        }
    }

    void savesEveryFifteenAdditionsAndRestores() {
        auto u = make();
        u->update(tethered(0));
        for (int i = 1; i <= 14; ++i)
            u->update(tethered(quint64(i) * 10));
        QVERIFY(!QFile::exists(file));
        u->update(tethered(150));
        const QJsonObject o = QJsonDocument::fromJson(contents(file)).object();
        QCOMPARE(o.keys(), (QStringList{u"day"_s, u"dayBytes"_s, u"month"_s, u"monthBytes"_s, u"warned"_s}));
        QCOMPARE(o.value(u"dayBytes"_s).toInteger(), 150);
        u->update(tethered(160));
        u->save();
        u.reset();
        auto restored = make();
        QCOMPARE(restored->state().dayBytes, 160u);
        QCOMPARE(restored->session(), 0u);
    }

    void damagedFileIsSetAside() {
        const std::pair<const char*, QByteArray> rows[] = {
            {"empty", {}},
            {"truncated", R"({"day":"2026-03-14","dayBytes":12)"},
            {"missing key", R"({"day":"d","dayBytes":1,"month":"m","monthBytes":1})"},
            {"negative", R"({"day":"d","dayBytes":-1,"month":"m","monthBytes":1,"warned":""})"},
            {"beyond 64 bits", R"({"day":"d","dayBytes":1e30,"month":"m","monthBytes":1,"warned":""})"}};
        for (const auto& [name, content] : rows) {
            fresh();
            writeFile(content);
            auto u = make();
            ROW_COMPARE(name, u->state(), UsageState());
            const QStringList aside =
                QDir(QFileInfo(file).path()).entryList({u"hotspot-usage.damaged-*.json"_s}, QDir::Files);
            ROW_COMPARE(name, aside.size(), 1);
            ROW_COMPARE(name, contents(QFileInfo(file).path() + u'/' + aside.first()), content);
            u->update(tethered(0));
            u->save();
            QVERIFY2(UsageState::decode(contents(file)), name);
        }
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
