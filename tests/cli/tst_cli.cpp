#include "cli/options.h"
#include "common/container.h"
#include "support/temp_home.h"

#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result tarnwick(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TARNWICK_BINARY), args);
    p.waitForFinished(20000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    void optionPrecedence_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        using M = Options::Mode;
        QTest::newRow("nothing") << QStringList() << int(M::Start);
        QTest::newRow("self-test wins") << QStringList{u"--unregister"_s, u"--snapshot-test"_s} << int(M::SnapshotTest);
        QTest::newRow("unregister over watch") << QStringList{u"--watch"_s, u"--unregister"_s} << int(M::Unregister);
        QTest::newRow("watch") << QStringList{u"--bogus"_s, u"--watch"_s, u"-style"_s, u"x"_s} << int(M::Watch);
        QTest::newRow("help") << QStringList{u"--watch"_s, u"--help"_s} << int(M::Help);
        QTest::newRow("version") << QStringList{u"--version"_s} << int(M::Version);
    }
    void optionPrecedence() {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QCOMPARE(int(parseOptions(args).mode), mode);
    }

    void hostsOption() {
        QCOMPARE(parseOptions({u"--watch"_s, u"--hosts"_s, u" 127.0.0.1, ,localhost,"_s}).hosts,
                 std::optional(QStringList{u"127.0.0.1"_s, u"localhost"_s}));
        QCOMPARE(parseOptions({u"--hosts=::1"_s}).hosts, std::optional(QStringList{u"::1"_s}));
        QVERIFY(!parseOptions({u"--watch"_s}).hosts);
        QVERIFY(!parseOptions({u"--watch"_s, u"--hosts"_s}).error.isEmpty());
        QVERIFY(!parseOptions({u"--hosts"_s, u" , "_s}).error.isEmpty());
    }

    void snapshotSelfTest() {
        const Result r = tarnwick({u"--snapshot-test"_s, u"--unregister"_s});
        QCOMPARE(r.code, 0);
        const QString path = home.data() + u'/' + QLatin1StringView(appGroupId) + u"/snapshot.json"_s;
        QCOMPARE(r.out, u"url: "_s + path + u"\nread: test\n"_s);
        QVERIFY(QFile::exists(path));
    }

    void snapshotSelfTestWithoutAUsableContainer() {
        QFile blocker(home.data() + u'/' + QLatin1StringView(appGroupId));
        QDir(blocker.fileName()).removeRecursively();
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Result r = tarnwick({u"--snapshot-test"_s});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(u"url: "_s));
        QVERIFY(r.out.endsWith(u"\nread: BRAK\n"_s));
        QVERIFY(blocker.remove());
    }

    void unregister() {
        const QString entry = home.config() + u"/autostart/tarnwick.desktop"_s;
        QVERIFY(QDir().mkpath(QFileInfo(entry).path()));
        QFile f(entry);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Desktop Entry]\nType=Application\nExec=tarnwick\n");
        f.close();
        QCOMPARE(tarnwick({u"--unregister"_s}).out, u"unregistered\n"_s);
        QVERIFY(!QFile::exists(entry));
        // Something that cannot be removed is reported, and the status stays 0.
        QVERIFY(QDir().mkpath(entry + u"/inside"_s));
        const Result r = tarnwick({u"--unregister"_s});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(u"unregister: "_s));
        QVERIFY(QDir(entry).removeRecursively());
    }

    void versionAndHelp() {
        const Result v = tarnwick({u"--version"_s});
        QCOMPARE(v.code, 0);
        QVERIFY(QRegularExpression(u"^Tarnwick \\d+\\.\\d+ b\\d+\\n$"_s).match(v.out).hasMatch());
        const Result h = tarnwick({u"--help"_s});
        QVERIFY(h.out.contains(u"--watch"_s) && h.out.contains(u"--hosts"_s));
        const Result bad = tarnwick({u"--watch"_s, u"--hosts"_s});
        QCOMPARE(bad.code, 2);
        QVERIFY(bad.err.contains(u"--hosts"_s));
    }

    void watchPrintsALineEveryRefreshUntilInterrupted() {
        QProcess p;
        if (!startWatch(p))
            QSKIP("Tailscale is installed and no private network namespace can be made here");
        QStringList lines;
        QElapsedTimer t;
        t.start();
        while (lines.size() < 2 && t.elapsed() < 10000) {
            p.waitForReadyRead(500);
            while (p.canReadLine())
                lines.append(QString::fromUtf8(p.readLine()).trimmed());
        }
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(lines.size() >= 2, qPrintable(lines.join(u'\n') + QString::fromUtf8(p.readAllStandardError())));
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

    void watchEndsCleanlyWhenItsReaderGoes() {
        QFile::remove(home.data() + u"/Tarnwick/hotspot-usage.json"_s);
        QProcess p;
        // `tarnwick --watch | head -1`, reporting the program's own exit status.
        if (!startWatch(p, {u"/bin/bash"_s, u"-c"_s, u"\"$@\" | head -1; exit ${PIPESTATUS[0]}"_s, u"bash"_s}))
            QSKIP("Tailscale is installed and no private network namespace can be made here");
        QVERIFY(p.waitForFinished(15000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput().count('\n'), 1);
        QVERIFY(QFile::exists(home.data() + u"/Tarnwick/hotspot-usage.json"_s));
    }

private:
    // Starts the console readout on loopback hosts, in a network namespace of its own when one can be made,
    // so that nothing the program runs (a Tailscale installed on this machine, say) can send a packet out.
    bool startWatch(QProcess& p, QStringList wrapper = {}) {
        QStringList command{u"--watch"_s, u"--bogus"_s, u"--hosts"_s, u"127.0.0.1,localhost"_s};
        QString program = QStringLiteral(TARNWICK_BINARY);
        if (!wrapper.isEmpty()) {
            command = wrapper.mid(1) + QStringList{program} + command;
            program = wrapper.first();
        }
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
