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
#include <sys/time.h>
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

// Answers the oldest echo request the raw socket holds, as a peer would that took its time.
bool answer(int raw) {
    unsigned char packet[1500]{};
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t n = ::recvfrom(raw, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &size);
    const int header = (packet[0] & 0xf) * 4;
    if (n < 20 || n < header + 8)
        return false;
    // Type 8 becomes 0: the checksum, a one's complement sum, goes up by 0x0800.
    unsigned char* icmp = packet + header;
    const quint32 sum = quint32(icmp[2] << 8 | icmp[3]) + 0x0800;
    icmp[0] = 0;
    icmp[2] = quint8((sum + (sum >> 16)) >> 8);
    icmp[3] = quint8(sum + (sum >> 16));
    return ::sendto(raw, icmp, size_t(n - header), 0, reinterpret_cast<sockaddr*>(&from), size) == n - header;
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

    // The reply to a request that has timed out reaches the socket while a newer request to the same peer
    // waits: it answers neither.
    void lateReplyIsIgnored() {
        if (!pair_)
            QSKIP(qPrintable(why_));
        pair_->inB(u"sysctl -qw net.ipv4.icmp_echo_ignore_all=1"_s);
        pair_->enterB();
        const int raw = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        pair_->enterA();
        QVERIFY(raw >= 0);
        timeval wait{2, 0};
        ::setsockopt(raw, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const Pinger ping = echoPinger(platform::echoSockets());
        QObject context;
        QList<Sample> first, second;
        ping(peer, &context, [&](Sample ms) { first.append(ms); });
        QVERIFY(QTest::qWaitFor([&] { return !first.isEmpty(); }, 5000));
        ping(peer, &context, [&](Sample ms) { second.append(ms); });
        QVERIFY(answer(raw));
        QVERIFY(QTest::qWaitFor([&] { return !second.isEmpty(); }, 5000));
        pair_->leave();
        ::close(raw);
        QCOMPARE(first, QList<Sample>{std::nullopt});
        QCOMPARE(second, QList<Sample>{std::nullopt});
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
