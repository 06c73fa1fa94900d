// Times the work the program does on its own thread every refresh, without child processes.
#include "core/globals.h"
#include "core/monitor.h"
#include "core/stats.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/temp_home.h"

#include "figures.h"

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <chrono>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using namespace bench;

namespace {

platform::Interfaces desktop(quint64 n) {
    platform::Interfaces i;
    i.bytes = {{u"lo"_s, {n, n}},      {u"enp3s0"_s, {n * 3, n}}, {u"wlp2s0"_s, {n * 7, n * 2}},
               {u"docker0"_s, {0, 0}}, {u"tailscale0"_s, {n, n}}, {u"virbr0"_s, {0, 0}}};
    i.ipv4 = {{u"lo"_s, u"127.0.0.1"_s},
              {u"wlp2s0"_s, u"192.168.1.20"_s},
              {u"docker0"_s, u"172.17.0.1"_s},
              {u"tailscale0"_s, u"100.101.102.103"_s}};
    return i;
}

// A monitor pinging three hosts that answer at once, fed by `network`, its history filled to five minutes.
std::unique_ptr<Monitor> monitor(FakeClock& clock, std::unique_ptr<platform::Network> network, const TempHome& home) {
    Monitor::Deps d;
    d.clock = &clock;
    d.network = std::move(network);
    d.ping = [&clock](const QString& host, QObject*, std::function<void(std::optional<double>)> done) {
        done(host.size() % 3 ? std::optional(12.3) : std::nullopt);
    };
    d.tailnet = [](QObject*, std::function<void(std::optional<Tailnet>)> done) { done(std::nullopt); };
    d.prefs = Preferences(home.config() + u"/bench.conf"_s);
    d.usage.clock = &clock;
    d.usage.file = home.data() + u"/usage.json"_s;
    d.usage.notify = [](const platform::Notification&) {};
    d.hosts = QStringList{u"1.1.1.1"_s, u"laptop"_s, u"serwer"_s};
    auto m = std::make_unique<Monitor>(std::move(d));
    for (int i = 0; i < 160; ++i) {
        clock.advance(tick);
        m->refresh();
    }
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    TempHome home;
    const int runs = 20000;

    {
        FakeClock clock;
        auto state = std::make_shared<NetworkState>();
        auto m = monitor(clock, std::make_unique<FakeNetwork>(state), home);
        quint64 n = 1'000'000;
        print(out, u"refresh, 3 hosts with full histories"_s, time(runs, [&] {
                  state->interfaces = desktop(n += 50'000);
                  clock.advance(tick);
                  m->refresh();
              }));
        const Samples samples = m->history().value(u"laptop"_s);
        out << "  (history per host: " << samples.size() << " samples)" << Qt::endl;
        Stats s;
        print(out, u"Stats over %1 samples"_s.arg(samples.size()),
              time(runs, [&] { s = Stats(samples, ago(clock.now(), historySeconds)); }));
        print(out, u"Monitor::stats(host, tick × 1.5)"_s, time(runs, [&] { s = m->stats(u"laptop"_s, tick * 1.5); }));
    }
    {
        FakeClock clock;
        auto m = monitor(clock, platform::systemNetwork(), home);
        print(out, u"refresh with this machine's interfaces"_s, time(runs, [&] {
                  clock.advance(tick);
                  m->refresh();
              }));
    }
    {
        auto net = platform::systemNetwork();
        platform::Interfaces i;
        print(out, u"interfaces() on this machine"_s, time(runs, [&] { i = net->interfaces(); }));
        print(out, u"link() on this machine"_s, time(runs, [&] { net->link(i); }));
    }
    return 0;
}
