// Times what the details collector costs: its work on the program's own thread per refresh, one process sample
// with a few hundred processes and a thousand sockets, and one reading of the slow facts.
#include "details/advanced.h"
#include "platform/linux/hardware_ports.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/vpn_programs.h"
#include "platform/platform.h"
#include "support/fake_clock.h"

#include "figures.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QThreadPool>

#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using namespace bench;

namespace {

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Idle children that hold no descriptors of ours, so the machine has a desktop's worth of processes.
std::vector<pid_t> spawnIdle(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int fd = 3; fd < 1024; ++fd)
                close(fd);
            pause();
            _exit(0);
        }
        if (pid > 0)
            children.push_back(pid);
    }
    return children;
}

int processCount() {
    int n = 0;
    for (const QString& name : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool ok = false;
        name.toInt(&ok);
        n += ok;
    }
    return n;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // A thousand sockets need more descriptors than the usual soft limit of 1024.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    QTextStream out(stdout);

    const std::vector<pid_t> children = spawnIdle(300);
    QTcpServer server;
    server.setMaxPendingConnections(1000);
    server.listen(QHostAddress::LocalHost);
    std::vector<QTcpSocket*> sockets;
    for (int i = 0; i < 500; ++i) {
        auto* client = new QTcpSocket(&app);
        client->connectToHost(QHostAddress::LocalHost, server.serverPort());
        client->waitForConnected(2000);
        server.waitForNewConnection(2000);
        QTcpSocket* peer = server.nextPendingConnection();
        client->write(QByteArray(1000, 'x'));
        client->waitForBytesWritten(1000);
        sockets.push_back(client);
        if (peer)
            sockets.push_back(peer);
    }
    out << u"%1 processes, %2 loopback TCP sockets of this program"_s.arg(processCount()).arg(sockets.size())
        << Qt::endl;

    platform::procnet::Sampler sampler;
    std::vector<double> cpu, wall;
    for (int i = 0; i < 30; ++i) {
        const double c0 = threadCpuMs();
        const auto w0 = std::chrono::steady_clock::now();
        const QByteArray sample = sampler.sample();
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count());
        cpu.push_back(threadCpuMs() - c0);
        if (i == 0)
            out << u"sample lists %1 processes with TCP bytes"_s.arg(sample.count('\n') - 1) << Qt::endl;
    }
    print(out, u"process sample, CPU (worker thread)"_s, figures(cpu), u"ms"_s);
    std::vector<double> scan;
    for (int i = 0; i < 30; ++i) {
        const double c0 = threadCpuMs();
        platform::procnet::readProcesses();
        scan.push_back(threadCpuMs() - c0);
    }
    print(out, u"  of which the /proc scan, CPU"_s, figures(scan), u"ms"_s);
    print(out, u"process sample, wall"_s, figures(wall), u"ms"_s);

    const auto details = platform::systemDetails();
    std::vector<double> slow, slowCpu;
    for (int i = 0; i < 20; ++i) {
        const double c0 = threadCpuMs();
        const auto w0 = std::chrono::steady_clock::now();
        details->slow();
        slow.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count());
        slowCpu.push_back(threadCpuMs() - c0);
    }
    print(out, u"slow reading, CPU (worker thread)"_s, figures(slowCpu), u"ms"_s);
    print(out, u"slow reading, wall"_s, figures(slow), u"ms"_s);
    std::vector<double> names;
    for (int i = 0; i < 20; ++i) {
        const auto w0 = std::chrono::steady_clock::now();
        platform::vpn::owners(platform::sysfs::tunnels(),
                              platform::procnet::readProcesses(platform::procnet::proc, false));
        names.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count());
    }
    print(out, u"  of which tunnels and their VPN programs"_s, figures(names), u"ms"_s);

    std::vector<double> wifi, addresses;
    for (int i = 0; i < 200; ++i) {
        auto w0 = std::chrono::steady_clock::now();
        details->wifi();
        wifi.push_back(Micro(std::chrono::steady_clock::now() - w0).count());
        w0 = std::chrono::steady_clock::now();
        details->addresses();
        addresses.push_back(Micro(std::chrono::steady_clock::now() - w0).count());
    }
    print(out, u"Wi-Fi link reading (worker thread)"_s, figures(wifi));
    print(out, u"address list"_s, figures(addresses));

    // The refresh's own part: Wi-Fi rows, addresses, interface rates, starting the collectors.
    FakeClock clock;
    Advanced adv(clock);
    platform::Interfaces reading;
    reading.bytes = {{u"lo"_s, {1, 1}}, {u"eth0"_s, {1000, 1000}}, {u"wlan0"_s, {1000, 1000}}};
    reading.ipv4 = {{u"lo"_s, u"127.0.0.1"_s}, {u"eth0"_s, u"192.168.1.20"_s}, {u"wlan0"_s, u"10.0.0.5"_s}};
    std::vector<double> update, updateCpu;
    for (int i = 0; i < 200; ++i) {
        clock.advance(2s);
        reading.bytes[u"eth0"_s].in += 123456;
        const double c0 = threadCpuMs();
        const auto w0 = std::chrono::steady_clock::now();
        adv.update(reading);
        update.push_back(Micro(std::chrono::steady_clock::now() - w0).count());
        updateCpu.push_back((threadCpuMs() - c0) * 1000);
        // Let the readings started by this update finish, as two seconds between refreshes would.
        while (adv.procBusy() || adv.linkBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    print(out, u"Advanced.update, main thread, CPU"_s, figures(updateCpu));
    print(out, u"Advanced.update, main thread, wall"_s, figures(update));
    QThreadPool::globalInstance()->waitForDone();

    for (const pid_t pid : children) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}
