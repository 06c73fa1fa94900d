#include "cli/options.h"
#include "cli/watch.h"
#include "common/container.h"
#include "core/history_store.h"
#include "core/monitor.h"
#include "core/preferences.h"
#include "support/fake_network.h"
#include "support/temp_home.h"

#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result tarnwick(const QStringList& args, const QString& program = QStringLiteral(TARNWICK_BINARY)) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000))
        p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Writes `content` to `path`, making its folder.
bool put(const QString& path, const QByteArray& content) {
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QStringList filesIn(const QString& dir) {
    QStringList files;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files.append(it.next());
    return files;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    void initTestCase() {
        // Whatever a program started here leaves running when it ends becomes this test's child.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    }

    void hostsOption() {
        QCOMPARE(parseOptions({u"--watch"_s, u"--hosts"_s, u" 127.0.0.1, ,localhost,"_s}).hosts,
                 std::optional(QStringList{u"127.0.0.1"_s, u"localhost"_s}));
        const Options mixed = parseOptions({u"--hosts=a b,127.0.0.1,-x"_s});
        QCOMPARE(mixed.hosts, std::optional(QStringList{u"127.0.0.1"_s}));
        QCOMPARE(mixed.refusedHosts, (QStringList{u"a b"_s, u"-x"_s}));
        QVERIFY(!parseOptions({u"--hosts=-x"_s}).error.isEmpty());
    }

    // Both programs refuse what they do not understand before anything starts.
    void refusedCommandLines_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        const QString app = QStringLiteral(TARNWICK_BINARY), widget = QStringLiteral(TARNWICK_WIDGET_BINARY);
        QTest::newRow("unknown") << app << QStringList{u"--watch"_s, u"--wacth"_s} << u"--wacth"_s;
        QTest::newRow("no hosts") << app << QStringList{u"--watch"_s, u"--hosts"_s} << u"--hosts"_s;
        QTest::newRow("hosts before a switch") << app << QStringList{u"--hosts"_s, u"--watch"_s} << u"--hosts"_s;
        QTest::newRow("hours not a number") << app << QStringList{u"--history"_s, u"--hours=6h"_s} << u"--hours 6h"_s;
        QTest::newRow("terminal escape") << app << QStringList{u"--\x1b]0;x\a"_s} << u"--\\x1b]0;x\\x07"_s;
        QTest::newRow("widget: bad size") << widget << QStringList{u"--size"_s, u"large"_s} << u"large"_s;
        QTest::newRow("widget: dark alone") << widget << QStringList{u"--dark"_s} << u"--dark"_s;
    }
    void refusedCommandLines() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        TempHome fresh;
        // Loopback only, should the program start after all.
        QVERIFY(put(fresh.config() + u"/Tarnwick/Tarnwick.conf"_s, "[General]\nhosts=127.0.0.1\n"));
        const Result r = tarnwick(args, program);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        const QString name = QFileInfo(program).fileName();
        QVERIFY2(r.err.startsWith(name + u": "_s) && r.err.section(u'\n', 0, 0).contains(named), qPrintable(r.err));
        QVERIFY(r.err.contains(u"Użycie: "_s + name) && !r.err.contains(u'\x1b'));
        QCOMPARE(filesIn(fresh.path()), QStringList{fresh.config() + u"/Tarnwick/Tarnwick.conf"_s});
        // Nothing it started (a ping, say) outlived it.
        QProcess children;
        children.start(u"pgrep"_s, {u"-a"_s, u"-P"_s, QString::number(::getpid())});
        QVERIFY(children.waitForFinished());
        QCOMPARE(children.readAllStandardOutput(), QByteArray());
    }

    void historyAsTextAndCsv() {
        TempHome fresh;
        Preferences(fresh.config() + u"/Tarnwick/Tarnwick.conf"_s).setHostLabels({{u"1.1.1.1"_s, u"DNS"_s}});
        const Timestamp now = std::chrono::system_clock::now();
        const auto minute = [&](int ago) { return minuteOf(now - std::chrono::minutes(ago)); };
        QList<MinuteRow> rows{{u"1.1.1.1"_s, minute(180), 30, 0, 5, 6, 7}, {u"a,b"_s, minute(15), 30, 30, 0, 0, 0}};
        for (int i = 10; i > 0; --i)
            rows.append({u"1.1.1.1"_s, minute(i), 30, 2, 8, 12.5, 40.25});
        const Outage outage{
            u"1.1.1.1"_s,           u"DNS"_s, minute(8), minute(8) + std::chrono::seconds(134), false, 67,
            u"Wi-Fi\x1b]0;x\aDom"_s};
        QVERIFY(HistoryStore(fresh.data() + u"/Tarnwick/history.sqlite"_s, HistoryStore::Mode::Write)
                    .write(rows, {outage}, minuteOf(now - std::chrono::hours(200))));

        const Result text = tarnwick({u"--history"_s, u"--hours"_s, u"2"_s});
        QCOMPARE(text.code, 0);
        for (const QString& part :
             {u"\nDNS (1.1.1.1)\n"_s, u"dostępność 77.67 % · mierzono 10 min 0 s · przerwy: 1\n"_s,
              u" · 2 min 14 s · 67 utraconych · Wi-Fi\\x1b]0;x\\x07Dom\n"_s, u"\na,b\n"_s, u"straty 100.0 %"_s})
            QVERIFY2(text.out.contains(part), qPrintable(text.out));

        const Result csv = tarnwick({u"--history"_s, u"--csv"_s, u"--hours"_s, u"2"_s});
        QCOMPARE(csv.code, 0);
        const QStringList lines = csv.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 12); // the row three hours old is left out
        QCOMPARE(lines[0], u"host,minute,samples,lost,min_ms,avg_ms,max_ms"_s);
        const QString when = u"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:00(Z|[+-]\\d\\d:\\d\\d)"_s;
        QVERIFY2(QRegularExpression(u"^\"a,b\","_s + when + u",30,30,,,$"_s).match(lines[1]).hasMatch(),
                 qPrintable(lines[1]));
        QVERIFY2(
            QRegularExpression(u"^1\\.1\\.1\\.1,"_s + when + u",30,2,8.00,12.50,40.25$"_s).match(lines[2]).hasMatch(),
            qPrintable(lines[2]));
    }

    // The self-test writes the snapshot and reads it back.
    void snapshotSelfTest() {
        const QString container = home.data() + u'/' + QLatin1StringView(appGroupId);
        const Result r = tarnwick({u"--snapshot-test"_s});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, u"url: "_s + container + u"/snapshot.json\nread: test\n"_s);
        QVERIFY(QFile::exists(container + u"/snapshot.json"_s));
    }

    void unregister() {
        const QString entry = home.config() + u"/autostart/tarnwick.desktop"_s;
        QVERIFY(put(entry, "[Desktop Entry]\nType=Application\nExec=tarnwick\n"));
        QCOMPARE(tarnwick({u"--unregister"_s}).out, u"unregistered\n"_s);
        QVERIFY(!QFile::exists(entry));
    }

    // A switch added to a program's help is described in its man page too.
    void manPagesDescribeEverySwitch_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("tarnwick") << QStringLiteral(TARNWICK_BINARY);
        QTest::newRow("tarnwick-widget") << QStringLiteral(TARNWICK_WIDGET_BINARY);
    }
    void manPagesDescribeEverySwitch() {
        QFETCH(QString, program);
        QFile page(QStringLiteral(TARNWICK_MAN_DIR) + u'/' + QFileInfo(program).fileName() + u".1"_s);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString roff = QString::fromUtf8(page.readAll());
        const Result help = tarnwick({u"--help"_s}, program);
        QCOMPARE(help.code, 0);
        QStringList switches;
        const QRegularExpression line(u"^  (?:-h, )?(--[a-z-]+)"_s, QRegularExpression::MultilineOption);
        for (const QRegularExpressionMatch& m : line.globalMatch(help.out))
            switches.append(m.captured(1));
        QVERIFY(switches.size() >= 4);
        for (const QString& name : std::as_const(switches))
            QVERIFY2(roff.contains(QString(name).replace(u"-"_s, u"\\-"_s)), qPrintable(name));
    }

    void watchPrintsALineEveryRefreshUntilInterrupted() {
        QProcess p;
        if (!startWatch(p))
            QSKIP("Tailscale is installed and no private network namespace can be made here");
        QStringList lines;
        QElapsedTimer t;
        t.start();
        while (lines.size() < 3 && t.elapsed() < 10000) {
            p.waitForReadyRead(500);
            while (p.canReadLine())
                lines.append(QString::fromUtf8(p.readLine()).trimmed());
        }
        // A program that already ended has no id, and a signal to 0 would reach the whole group.
        QVERIFY(p.state() == QProcess::Running);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'\n') + QString::fromUtf8(p.readAllStandardError())));
        const QString method = lines.takeFirst();
        QVERIFY2(method == u"ping: gniazdo ICMP"_s || method == u"ping: /bin/ping"_s, qPrintable(method));
        const QRegularExpression line(
            u"^\\d\\d:\\d\\d:\\d\\d ↓ \\d+ KB/s ↑ \\d+ KB/s · .+ · 127\\.0\\.0\\.1 (\\d+) ms · localhost (\\d+) ms$"_s);
        for (const QString& l : lines) {
            const auto m = line.match(l);
            QVERIFY2(m.hasMatch(), qPrintable(l));
            QVERIFY(m.captured(1).toInt() < 100);
        }
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).isEmpty());
        // Ending saves the hotspot totals; the hosts given for the run are not stored.
        QVERIFY(QFile::exists(home.data() + u"/Tarnwick/hotspot-usage.json"_s));
        QVERIFY(!QFile::exists(home.config() + u"/Tarnwick/Tarnwick.conf"_s));
    }

    // The network's name and the labels are anyone's text: the readout shows their control characters.
    void watchLineShowsControls() {
        auto state = std::make_shared<NetworkState>();
        state->interfaces.ipv4 = {{u"wlan0"_s, u"192.168.1.2"_s}};
        state->link = {u"wlan0"_s, true, u"Dom\x1b]0;x\a\nfake"_s};
        Monitor::Deps d;
        d.network = std::make_unique<FakeNetwork>(state);
        d.ping = [](const QString&, QObject*, std::function<void(std::optional<double>)> done) { done(1.0); };
        d.tailnet = [](QObject*, std::function<void(std::optional<Tailnet>)> done) { done(std::nullopt); };
        d.prefs = Preferences(home.path() + u"/labels.conf"_s);
        d.prefs.setHostLabels({{u"127.0.0.1"_s, u"ja\r\x1b[2J"_s}});
        d.hosts = QStringList{u"127.0.0.1"_s};
        Monitor m(std::move(d));
        m.refresh();
        const QString line = watchLine(m, QDateTime::currentDateTime());
        QVERIFY2(line.contains(u"Dom\\x1b]0;x\\x07\\x0afake · ja\\x0d\\x1b[2J 1 ms"_s), qPrintable(line));
    }

private:
    // Starts the console readout on loopback hosts, in a network namespace of its own when one can be made,
    // so that nothing the program runs (a Tailscale installed on this machine, say) can send a packet out.
    bool startWatch(QProcess& p) {
        QStringList command{u"--watch"_s, u"--hosts"_s, u"127.0.0.1,localhost"_s};
        QString program = QStringLiteral(TARNWICK_BINARY);
        if (::geteuid() == 0 && QFile::exists(u"/usr/bin/unshare"_s)) {
            command =
                QStringList{u"-n"_s, u"/bin/sh"_s, u"-c"_s, u"ip link set lo up && exec \"$0\" \"$@\""_s, program} +
                command;
            program = u"/usr/bin/unshare"_s;
        } else if (QFile::exists(u"/usr/bin/tailscale"_s)) {
            return false;
        }
        p.start(program, command);
        return p.waitForStarted();
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
