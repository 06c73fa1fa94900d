// Times the work the program does on its own thread every refresh, without child processes.
#include "core/globals.h"
#include "core/history_store.h"
#include "core/monitor.h"
#include "core/stats.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/temp_home.h"

#include "figures.h"

#include <QCoreApplication>
#include <QFileInfo>
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

// Seven days of three hosts written a minute at a time, as the program's writer thread does; prints the time
// of one minute's write and the size of the database.
void historyWrites(QTextStream& out, const TempHome& home) {
    const QString file = home.data() + u"/Tarnwick/bench-history.sqlite"_s;
    const QStringList hosts{u"1.1.1.1"_s, u"laptop.lan"_s, u"serwer.lan"_s};
    Timestamp t = FakeClock::at(2026, 3, 1, 0, 0, 0);
    std::vector<double> us;
    {
        HistoryStore store(file, HistoryStore::Mode::Write);
        for (int minute = 0; minute < 7 * 24 * 60; ++minute, t += 1min) {
            QList<MinuteRow> rows;
            for (qsizetype h = 0; h < hosts.size(); ++h) {
                const double base = 8.0 + 11.0 * double(h) + (minute % 97) * 0.137;
                rows.append({hosts[h], t, 30, minute % 53 == 0 ? 2 : 0, base * 0.8, base, base * 1.9 + (minute % 13)});
            }
            const QList<Outage> outages =
                minute % 720 == 0 ? QList<Outage>{{hosts[0], u"DNS"_s, t, t + 20s, false, 10, u"Wi-Fi Dom"_s}}
                                  : QList<Outage>{};
            const auto start = std::chrono::steady_clock::now();
            store.write(rows, outages, ago(t, History::keep));
            us.push_back(Micro(std::chrono::steady_clock::now() - start).count());
        }
    }
    print(out, u"history: one minute's write, 3 hosts"_s, figures(std::move(us)));
    out << "  (database after 7 days of 3 hosts: " << QFileInfo(file).size() << " bytes)" << Qt::endl;
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
    historyWrites(out, home);
    {
        auto net = platform::systemNetwork();
        platform::Interfaces i;
        print(out, u"interfaces() on this machine"_s, time(runs, [&] { i = net->interfaces(); }));
        print(out, u"link() on this machine"_s, time(runs, [&] { net->link(i); }));
    }
    return 0;
}
