#include "core/echo_ping.h"
#include "core/ping.h"
#include "platform/platform.h"
#include "support/netns.h"

#include <QProcess>
#include <QtTest>

#include <cerrno>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Sample = std::optional<double>;

namespace {

const QString peer = u"10.231.77.2"_s;
const QString everyGroup = u"sysctl -qw net.ipv4.ping_group_range='0 2147483647'"_s;

bool sh(const QString& command) {
    QProcess p;
    p.start(u"/bin/sh"_s, {u"-c"_s, command});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Pings every host at once, as a refresh does; for each, "ms" for a time, "lost", or how many answers came.
QStringList pingAll(const QStringList& hosts) {
    const Pinger ping = echoPinger(platform::echoSockets());
    QObject context;
    QList<QList<Sample>> answers(hosts.size());
    for (qsizetype i = 0; i < hosts.size(); ++i)
        ping(hosts[i], &context, [&answers, i](Sample ms) { answers[i].append(ms); });
    (void)QTest::qWaitFor([&] { return std::ranges::none_of(answers, &QList<Sample>::isEmpty); }, 10000);
    QStringList got;
    for (const auto& a : answers)
        got.append(a.size() != 1 ? QString::number(a.size()) : a[0] ? u"ms"_s : u"lost"_s);
    return got;
}

} // namespace

class TestEchoSocket : public QObject {
    Q_OBJECT

    std::unique_ptr<VethPair> pair_;
    QString why_;

private slots:
    // Everything happens in a network namespace of the test's own, name lookups included, so that nothing
    // leaves the machine.
    void initTestCase() {
        if (::geteuid() != 0)
            QSKIP("ping sockets are tried in network namespaces the test makes, which needs root");
        if (::unshare(CLONE_NEWNET) != 0)
            QSKIP(qPrintable(u"no network namespace can be made here: "_s + QString::fromLocal8Bit(strerror(errno))));
        QVERIFY(sh(u"ip link set lo up && "_s + everyGroup));
        pair_ = VethPair::create(u"veth0"_s, u"10.231.77.1/24"_s, peer + u"/24"_s, &why_);
        if (pair_)
            pair_->inA(everyGroup);
    }

    void answers() {
        // A name that does not resolve and one the tool would read as an option get no time.
        QStringList hosts{u"nothing.invalid"_s, u"-c9"_s, u"::1"_s, u"localhost"_s}, expected{u"lost"_s, u"lost"_s};
        for (int i = 1; i <= 40; ++i)
            hosts.append(u"127.0.0.%1"_s.arg(i));
        expected.resize(hosts.size(), u"ms"_s);
        QCOMPARE(pingAll(hosts), expected);
        if (!pair_)
            QSKIP(qPrintable(why_));
        for (const bool drops : {false, true}) {
            pair_->inB(u"sysctl -qw net.ipv4.icmp_echo_ignore_all=%1"_s.arg(int(drops)));
            pair_->enterA();
            const QStringList got = pingAll({peer});
            pair_->leave();
            QCOMPARE(got, QStringList{drops ? u"lost"_s : u"ms"_s});
        }
    }

    // Root is refused as well when its group is left out, so the test needs no other user.
    void fallbackWhenRefused() {
        const QString tool = platform::pingTool().path;
        for (const auto& [range, method] :
             {std::pair{u"1 0"_s, tool}, {u"1 2147483647"_s, tool}, {u"0 2147483647"_s, u"gniazdo ICMP"_s}}) {
            QVERIFY(sh(u"sysctl -qw net.ipv4.ping_group_range='%1'"_s.arg(range)));
            const QString chosen = systemPing().name;
            QVERIFY(sh(everyGroup));
            QVERIFY2(chosen == method, qPrintable(range + u": "_s + chosen));
        }
    }
};

QTEST_GUILESS_MAIN(TestEchoSocket)
#include "tst_echo_socket.moc"
