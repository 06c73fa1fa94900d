#include "core/echo_ping.h"
#include "core/ping.h"
#include "platform/platform.h"
#include "support/netns.h"

#include <QProcess>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Sample = std::optional<double>;

namespace {

const QString inner = u"10.231.77.1"_s;
const QString peer = u"10.231.77.2"_s;
const QString everyGroup = u"sysctl -qw net.ipv4.ping_group_range='0 2147483647'"_s;

bool sh(const QString& command) {
    QProcess p;
    p.start(u"/bin/sh"_s, {u"-c"_s, command});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Pings every host at once, as a refresh does, and collects each host's answers; false when some host got none.
bool pingAll(const QStringList& hosts, QList<QList<Sample>>& answers) {
    const Pinger ping = echoPinger(platform::echoSockets());
    QObject context;
    answers.resize(hosts.size());
    for (qsizetype i = 0; i < hosts.size(); ++i)
        ping(hosts[i], &context, [&answers, i](Sample ms) { answers[i].append(ms); });
    return QTest::qWaitFor([&] { return std::ranges::all_of(answers, [](const auto& a) { return !a.isEmpty(); }); },
                           10000);
}

quint16 checksum(const unsigned char* data, size_t size) {
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (size % 2)
        sum += quint32(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

// Answers the oldest echo request the raw socket holds, as a peer would that took its time.
bool answer(int raw, const QString& to) {
    unsigned char packet[1500];
    const ssize_t n = ::recv(raw, packet, sizeof packet, 0);
    if (n < 20 || n < (packet[0] & 0xf) * 4 + 8)
        return false;
    const int header = (packet[0] & 0xf) * 4;
    unsigned char* icmp = packet + header;
    const size_t size = size_t(n - header);
    icmp[0] = 0; // echo reply
    icmp[2] = icmp[3] = 0;
    const quint16 sum = checksum(icmp, size);
    icmp[2] = sum >> 8;
    icmp[3] = sum & 0xff;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, to.toLatin1().constData(), &a.sin_addr);
    return ::sendto(raw, icmp, size, 0, reinterpret_cast<sockaddr*>(&a), sizeof a) == ssize_t(size);
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
        pair_ = VethPair::create(u"veth0"_s, inner + u"/24"_s, peer + u"/24"_s, &why_);
        if (pair_)
            pair_->inA(everyGroup);
    }

    void answers_data() {
        QTest::addColumn<bool>("overVeth");
        QTest::addColumn<QStringList>("hosts");
        QTest::addColumn<bool>("peerDrops");
        QTest::addColumn<bool>("answered");
        QTest::newRow("IPv4 loopback") << false << QStringList{u"127.0.0.1"_s} << false << true;
        QTest::newRow("IPv6 loopback") << false << QStringList{u"::1"_s} << false << true;
        QTest::newRow("name from the hosts file") << false << QStringList{u"localhost"_s} << false << true;
        QTest::newRow("veth peer") << true << QStringList{peer} << false << true;
        QTest::newRow("peer that drops echoes") << true << QStringList{peer} << true << false;
        QTest::newRow("name that does not resolve") << false << QStringList{u"nothing.invalid"_s} << false << false;
        QTest::newRow("host the tool would read as an option") << false << QStringList{u"-c9"_s} << false << false;
        QStringList forty;
        for (int i = 1; i <= 40; ++i)
            forty.append(u"127.0.0.%1"_s.arg(i));
        QTest::newRow("forty hosts at once") << false << forty << false << true;
    }
    void answers() {
        QFETCH(bool, overVeth);
        QFETCH(QStringList, hosts);
        QFETCH(bool, peerDrops);
        QFETCH(bool, answered);
        if (overVeth && !pair_)
            QSKIP(qPrintable(why_));
        if (overVeth) {
            pair_->inB(u"sysctl -qw net.ipv4.icmp_echo_ignore_all=%1"_s.arg(int(peerDrops)));
            pair_->enterA();
        }
        QList<QList<Sample>> got;
        const bool all = pingAll(hosts, got);
        if (overVeth)
            pair_->leave();
        QVERIFY(all);
        for (qsizetype i = 0; i < hosts.size(); ++i) {
            QVERIFY2(got[i].size() == 1, qPrintable(hosts[i]));
            QVERIFY2(got[i].first().has_value() == answered, qPrintable(hosts[i]));
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
        QVERIFY(answer(raw, inner));
        QVERIFY(QTest::qWaitFor([&] { return !second.isEmpty(); }, 5000));
        pair_->leave();
        ::close(raw);
        QCOMPARE(first, QList<Sample>{std::nullopt});
        QCOMPARE(second, QList<Sample>{std::nullopt});
    }

    // Root is refused as well when its group is left out, so the test needs no other user.
    void fallbackWhenRefused_data() {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("method");
        QTest::newRow("no group") << u"1 0"_s << platform::pingTool().path;
        QTest::newRow("every group but root's") << u"1 2147483647"_s << platform::pingTool().path;
        QTest::newRow("every group") << u"0 2147483647"_s << u"gniazdo ICMP"_s;
    }
    void fallbackWhenRefused() {
        QFETCH(QString, range);
        QFETCH(QString, method);
        QVERIFY(sh(u"sysctl -qw net.ipv4.ping_group_range='%1'"_s.arg(range)));
        const QString chosen = systemPing().name;
        QVERIFY(sh(everyGroup));
        QCOMPARE(chosen, method);
    }
};

QTEST_GUILESS_MAIN(TestEchoSocket)
#include "tst_echo_socket.moc"
