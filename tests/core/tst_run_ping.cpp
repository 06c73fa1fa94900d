#include "core/ping.h"
#include "core/run.h"
#include "support/fake_tool.h"
#include "support/rows.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Runs the tool and waits for its one answer, counting how many arrive.
struct Outcome {
    QString text;
    int calls = 0;
    qint64 ms = 0;
};

Outcome runAndWait(const QString& path, const QStringList& args, std::chrono::milliseconds timeout,
                   const QMap<QString, QString>& env = {}) {
    QObject context;
    Outcome o;
    QElapsedTimer clock;
    clock.start();
    run(
        path, args, timeout, &context,
        [&](const QString& text) {
            o.text = text;
            ++o.calls;
            o.ms = clock.elapsed();
        },
        env);
    [&] { QTRY_VERIFY_WITH_TIMEOUT(o.calls > 0, 20000); }();
    // Nothing else may arrive afterwards.
    QTest::qWait(200);
    return o;
}

// Also checks that the answer comes from the event loop: callers rely on never being re-entered.
std::optional<double> pingAndWait(const QString& host, const platform::Tool& tool = platform::pingTool()) {
    QObject context;
    std::optional<double> result;
    bool done = false, inside = true, reentered = false;
    ping(
        host, &context,
        [&](std::optional<double> ms) {
            result = ms;
            done = true;
            reentered = inside;
        },
        tool);
    inside = false;
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 10000); }();
    [&] { QVERIFY2(!reentered, qPrintable(host)); }();
    return result;
}

bool processAlive(const QString& marker) {
    QProcess pgrep;
    pgrep.start(u"/usr/bin/pgrep"_s, {u"-f"_s, marker});
    pgrep.waitForFinished();
    return pgrep.exitCode() == 0;
}

} // namespace

class TestRunPing : public QObject {
    Q_OBJECT

    FakeTools tools;

private slots:
    // Invalid UTF-8 is replaced, not dropped with what follows it.
    void returnsStandardOutputOnly() {
        qputenv("TARNWICK_INHERITED", "yes");
        const QString tool = tools.script(
            u"both"_s, u"echo out; echo err >&2; echo \"$1-$2 $TARNWICK_INHERITED $LC_ALL\"; printf 'a\\377b'"_s);
        const Outcome o = runAndWait(tool, {u"a b"_s, u"$HOME"_s}, 5s, {{u"LC_ALL"_s, u"C"_s}});
        QCOMPARE(o.text, u"out\na b-$HOME yes C\na"_s + QChar::ReplacementCharacter + u'b');
        QCOMPARE(o.calls, 1);
    }

    // The time-out keeps what was printed, and a child ignoring termination is killed after a short grace.
    void timedOutChildIsStopped() {
        const QString marker = u"tarnwick-stubborn-%1"_s.arg(QCoreApplication::applicationPid());
        const QString tool = tools.script(
            u"stubborn"_s,
            u"trap '' TERM; echo started; exec /bin/sh -c 'trap \"\" TERM; while :; do sleep 0.1; done' "_s + marker);
        const Outcome o = runAndWait(tool, {}, 300ms);
        QCOMPARE(o.text, u"started\n"_s);
        QCOMPARE(o.calls, 1);
        QVERIFY(o.ms >= 300);
        QVERIFY2(o.ms < 4000, "killed after a short grace");
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(marker), 3000);
    }

    void ownerGoneMeansNoAnswerAndNoChild() {
        const QString marker = u"tarnwick-orphan-%1"_s.arg(QCoreApplication::applicationPid());
        const QString tool = tools.script(u"orphan"_s, u"exec /bin/sh -c 'sleep 30' "_s + marker);
        int calls = 0;
        {
            QObject context;
            run(tool, {}, 10s, &context, [&](const QString&) { ++calls; });
            QTRY_VERIFY(processAlive(marker));
        }
        QTest::qWait(300);
        QCOMPARE(calls, 0);
        QVERIFY(!processAlive(marker));
    }

    void lossIsNoAnswer() {
        // Real answers are read by realPingAnswersOnLoopback.
        QVERIFY(!pingTime(u"1 packets transmitted, 0 received, 100% packet loss, time 0ms\n"_s));
    }

    void realPingAnswersOnLoopback() {
        if (!QFileInfo(platform::pingTool().path).isExecutable())
            QSKIP("the ping tool is not installed");
        for (const QString& host : {u"127.0.0.1"_s, u"::1"_s, u"localhost"_s}) {
            const auto ms = pingAndWait(host);
            QVERIFY2(ms && *ms >= 0 && *ms < 100, qPrintable(host));
        }
    }

    void unsafeHostNeverReachesTheTool() {
        const QString marker = tools.dir() + u"/started"_s;
        const platform::Tool tool{
            tools.script(u"marking-ping"_s, u"touch '"_s + marker + u"'; echo time=1.0 ms"_s), {}, {}};
        QVERIFY(isSafeHost(u"127.0.0.1"_s));
        for (const QString& host :
             {u"-f"_s, u"-c100000"_s, u"a b"_s, u"host\tname"_s, u"host\n"_s, u"ho\u0007st"_s, QString()}) {
            ROW_COMPARE(host, pingAndWait(host, tool), std::optional<double>());
            QVERIFY2(!QFile::exists(marker), qPrintable(host + u": the tool must not start"_s));
        }
        QCOMPARE(pingAndWait(u"ok.host"_s, tool), std::optional(1.0));
        QVERIFY(QFile::exists(marker));
    }
};

QTEST_GUILESS_MAIN(TestRunPing)
#include "tst_run_ping.moc"
