#include "support/netns.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

bool sh(const QString& command, QString* output = nullptr) {
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    p.waitForFinished(20000);
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

int udpSocket(const QString& address, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &a.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        qFatal("bind %s: %s", qPrintable(address), strerror(errno));
    return fd;
}

void sendAndReceive(int from, int to, const QString& address, quint16 port, const QByteArray& payload) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &a.sin_addr);
    if (::sendto(from, payload.constData(), payload.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0)
        qFatal("sendto: %s", strerror(errno));
    QByteArray buffer(payload.size() + 1, '\0');
    if (::recv(to, buffer.data(), buffer.size(), 0) != payload.size())
        qFatal("datagram lost on the veth link");
}

} // namespace

std::unique_ptr<VethPair> VethPair::create(const QString& inner, const QString& innerCidr, const QString& outerCidr,
                                           QString* why) {
    if (::geteuid() != 0) {
        *why = QStringLiteral("network namespaces need root; run the tests as root to cover real interfaces");
        return nullptr;
    }
    std::unique_ptr<VethPair> pair(new VethPair);
    if (!pair->setUp(inner, innerCidr, outerCidr, why))
        return nullptr;
    return pair;
}

bool VethPair::setUp(const QString& inner, const QString& innerCidr, const QString& outerCidr, QString* why) {
    const QString tag = QString::number(QCoreApplication::applicationPid());
    a_ = QStringLiteral("tarnwick-%1-a").arg(tag);
    b_ = QStringLiteral("tarnwick-%1-b").arg(tag);
    innerAddr_ = innerCidr.section(u'/', 0, 0);
    outerAddr_ = outerCidr.section(u'/', 0, 0);
    // IPv6 stays off so that neighbour discovery adds no bytes of its own to the counters.
    const QString quietV6 = QStringLiteral("sysctl -qw net.ipv6.conf.all.disable_ipv6=1 "
                                           "net.ipv6.conf.default.disable_ipv6=1");
    const QString script = QStringLiteral("set -e; ip netns add %1; ip netns add %2; "
                                          "ip netns exec %1 %6; ip netns exec %2 %6; "
                                          "ip -n %1 link add %3 type veth peer name peer0 netns %2; "
                                          "ip -n %1 addr add %4 dev %3; ip -n %2 addr add %5 dev peer0; "
                                          "ip -n %1 link set lo up; ip -n %2 link set lo up; "
                                          "ip -n %1 link set %3 up; ip -n %2 link set peer0 up")
                               .arg(a_, b_, inner, innerCidr, outerCidr, quietV6);
    QString out;
    if (!sh(script, &out)) {
        *why = QStringLiteral("could not build the test namespaces (ip netns): ") + out;
        sh(QStringLiteral("ip netns del %1; ip netns del %2").arg(a_, b_));
        return false;
    }
    home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    return true;
}

VethPair::~VethPair() {
    leave();
    if (home_ >= 0)
        ::close(home_);
    sh(QStringLiteral("ip netns del %1; ip netns del %2").arg(a_, b_));
}

void VethPair::enter(const QString& ns) {
    const int fd = ::open(QStringLiteral("/run/netns/%1").arg(ns).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0)
        qFatal("cannot enter namespace %s: %s", qPrintable(ns), strerror(errno));
    ::close(fd);
}

void VethPair::enterA() {
    enter(a_);
}

void VethPair::enterB() {
    enter(b_);
}

void VethPair::leave() {
    if (home_ >= 0)
        ::setns(home_, CLONE_NEWNET);
}

void VethPair::exchange(int count, int size) {
    enter(b_);
    const int b = udpSocket(outerAddr_, 47001);
    enter(a_);
    const int a = udpSocket(innerAddr_, 47002);
    const QByteArray payload(size, 'x');
    for (int i = 0; i < count; ++i) {
        sendAndReceive(a, b, outerAddr_, 47001, payload);
        sendAndReceive(b, a, innerAddr_, 47002, payload);
    }
    ::close(a);
    ::close(b);
}

QString VethPair::inA(const QString& command) const {
    QString out;
    sh(QStringLiteral("ip netns exec %1 %2").arg(a_, command), &out);
    return out;
}

QString VethPair::inB(const QString& command) const {
    QString out;
    sh(QStringLiteral("ip netns exec %1 %2").arg(b_, command), &out);
    return out;
}
