#include "core/history.h"
#include "core/outage_alerts.h"
#include "support/fake_clock.h"
#include "support/hostile_file.h"
#include "support/rows.h"
#include "support/session_bus.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const Timestamp start = FakeClock::at(2026, 3, 14, 12, 0, 0);

// Outages as "first-last/lost", positions counted in samples from 0.
QString outline(const QList<Outage>& outages) {
    const auto at = [](Timestamp t) { return QString::number(qRound(between(start, t) / tick) - 1); };
    QStringList parts;
    for (auto it = outages.crbegin(); it != outages.crend(); ++it)
        parts.append(at(it->start) + u'-' + at(it->end) + u'/' + QString::number(it->lost) +
                     (it->open ? u"…"_s : u""_s));
    return parts.join(u' ');
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

    SessionBus bus; // before anything touches the session bus
    QTemporaryDir dir;
    FakeClock clock;
    QString file;
    int files = 0;

    std::unique_ptr<History> make() { return std::make_unique<History>(History::Deps{&clock, file}); }

    // One sample a tick for every '.' (answer of 10 ms) and 'x' (loss); 'N' is a network change, 'W' a wake
    // and 'S' a ten-minute sleep.
    void play(History& h, const QString& script, const QString& host = u"a"_s) {
        for (const QChar c : script) {
            if (c == u'N') {
                h.networkChanged();
            } else if (c == u'W') {
                h.woke();
            } else if (c == u'S') {
                clock.advance(10min);
            } else {
                clock.advance(tick);
                h.refresh();
                h.add(host, host.toUpper(), u"Wi-Fi Dom"_s,
                      {clock.now(), c == u'x' ? std::nullopt : std::optional(10.0)});
            }
        }
    }

    // One run of the program: the stored history loaded, then the script played.
    void session(const QString& script = {}) {
        auto h = make();
        QTRY_VERIFY(h->ready());
        play(*h, script);
    }

    QList<MinuteRow> stored() {
        HistoryStore store(file, HistoryStore::Mode::Read);
        return store.load(Timestamp{}).minutes;
    }

private slots:
    void init() {
        file = dir.filePath(u"data-%1/Tarnwick/history.sqlite"_s.arg(++files));
        clock.set(start);
    }

    // The script, the outages as "first-last/lost", and how many ended with an answer.
    void outageRules() {
        const std::tuple<QString, QString, int> rows[] = {
            {u".xx.xx."_s, u""_s, 0},     // two losses are not one
            {u".xxx.."_s, u"1-4/3"_s, 1}, // three are, from the first
            {u".xxxx"_s, u"1-4/4…"_s, 0}, // still going
            {u".xxNxx.."_s, u""_s, 0},    // a network change forgives
            {u"xxWxx."_s, u""_s, 0},      // a wake forgives
            // A sleep ends one at its last loss; nothing answered, so nothing may say the host answers.
            {u".xxxxS......"_s, u"1-4/4"_s, 0},
        };
        for (const auto& [script, outages, answered] : rows) {
            clock.set(start);
            History h({&clock, {}});
            int ended = 0;
            connect(&h, &History::outageEnded, this, [&] { ++ended; });
            play(h, script);
            ROW_COMPARE(script, outline(h.outages()), outages);
            ROW_COMPARE(script, ended, answered);
        }
    }

    void minutesAndOutagesOutliveARestart() {
        {
            auto h = make();
            play(*h, u"...xxx"_s + QString(25, u'.'));
            QCOMPARE(h->minutes(u"a"_s).size(), 1); // the minute that is over
        }
        clock.advance(5s);
        session(u"x"_s); // the same minute again: its samples add to what was stored
        auto h = make();
        QTRY_VERIFY(h->ready());
        const QList<MinuteRow> a = h->minutes(u"a"_s);
        QCOMPARE(a.size(), 2);
        QCOMPARE(a[0].minute, start);
        QCOMPARE(a[0].samples, 29);
        QCOMPARE(a[0].lost, 3);
        QCOMPARE(a[0].avg, 10.0);
        QCOMPARE(a[1].minute, start + 1min);
        QCOMPARE(a[1].samples, 3); // two answers before the restart and one loss after
        QCOMPARE(a[1].lost, 1);
        const QList<Outage> outages = h->outages();
        QCOMPARE(outages.size(), 1);
        QCOMPARE(outline(outages), u"3-6/3"_s);
    }

    void damagedDatabaseIsSetAside() {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3").append('\0').append(QByteArray(200, '\x7f')));
        f.close();
        session(QString(29, u'.'));
        const QStringList aside = QDir(QFileInfo(file).path()).entryList({u"history.damaged-*.sqlite"_s});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(stored().size(), 1);
    }

    // Nothing SQLite would wait on, and no damage either: the file stays as it is and this run writes no history.
    void unreadableDatabaseIsLeftAlone_data() {
        using enum hostile::Kind;
        hostile::addRows({Fifo, Device, Unreadable, Folder});
    }
    void unreadableDatabaseIsLeftAlone() {
        QFETCH(hostile::Kind, kind);
        if (hostile::cannotMake(kind))
            QSKIP("root reads every file");
        QVERIFY(hostile::place(file, kind));
        const QString before = hostile::lookAt(file);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"nie można odczytać .*history.sqlite"_s));
        session(QString(29, u'.'));
        QCOMPARE(hostile::lookAt(file), before);
    }

    void switchGatesNotifications() {
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        NotificationService service(bus.address());
        QVERIFY(service.ok());
        Preferences prefs(dir.filePath(u"alerts.conf"_s));
        History h({&clock, {}});
        OutageAlerts alerts(h, prefs, platform::notify);
        play(h, u"xxx."_s);
        QTest::qWait(300);
        QVERIFY(service.shown().isEmpty());
        prefs.setOutageAlerts(true);
        play(h, u"xxx"_s);
        QTRY_COMPARE(service.shown().size(), 1);
        QCOMPARE(service.shown()[0].summary, u"Brak odpowiedzi: A"_s);
        play(h, u"x."_s);
        QTRY_COMPARE(service.shown().size(), 2);
        QCOMPARE(service.shown()[1].summary, u"A odpowiada"_s);
        QCOMPARE(service.shown()[1].replaces, 1u);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
