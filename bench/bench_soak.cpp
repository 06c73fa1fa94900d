// A day of refreshes on a moved clock: hosts come and go, the network changes its name, a tether runs over
// midnight into a new month and its interface is reset once. Memory and descriptors must stay flat and the
// hotspot totals must equal what was fed in. Exits with 1 when either fails.
#include "core/globals.h"
#include "core/monitor.h"
#include "core/usage_state.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

long rssKB() {
    QFile f(u"/proc/self/status"_s);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

qsizetype descriptors() {
    return QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    TempHome home;
    // Noon before the last midnight of January: the day and the month roll over together.
    FakeClock clock(FakeClock::at(2026, 1, 31, 12, 0, 0));
    const Timestamp tetherFrom = FakeClock::at(2026, 1, 31, 20, 0, 0), tetherTo = FakeClock::at(2026, 2, 1, 4, 0, 0);
    const Timestamp resetAt = FakeClock::at(2026, 1, 31, 22, 0, 0);
    auto state = std::make_shared<NetworkState>();

    Monitor::Deps d;
    d.clock = &clock;
    d.network = std::make_unique<FakeNetwork>(state);
    d.ping = [&clock](const QString& host, QObject*, std::function<void(std::optional<double>)> done) {
        const auto s = std::chrono::duration_cast<std::chrono::seconds>(clock.now().time_since_epoch()).count();
        done((s + host.size()) % 7 ? std::optional(double(s % 90) + 0.5) : std::nullopt);
    };
    d.tailnet = [](QObject*, std::function<void(std::optional<Tailnet>)> done) { done(std::nullopt); };
    d.prefs = Preferences(home.config() + u"/soak.conf"_s);
    d.usage.notify = [](const platform::Notification&) {};
    d.usage.file = home.data() + u"/hotspot-usage.json"_s;
    d.hosts = QStringList{u"127.0.0.1"_s, u"::1"_s};
    Monitor m(std::move(d));

    const auto localDate = [](Timestamp t) {
        return QDateTime::fromMSecsSinceEpoch(
                   std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count())
            .date();
    };
    quint64 wifi = 0, tetherIn = 0, tetherOut = 0;
    quint64 fedDay = 0, fedMonth = 0, fedSession = 0;
    bool tethered = false;
    QDate date = localDate(clock.now());
    long firstRss = 0;
    qsizetype firstFds = 0;
    const int ticksPerHour = int(3600 / tick.count());
    for (int t = 1; t <= 24 * ticksPerHour; ++t) {
        clock.advance(tick);
        const Timestamp now = clock.now();
        if (localDate(now).month() != date.month())
            fedMonth = 0;
        if (localDate(now) != date)
            fedDay = 0;
        date = localDate(now);
        wifi += 250'000;
        platform::Interfaces i;
        i.bytes = {{u"lo"_s, {1, 1}}, {u"wlp2s0"_s, {wifi, wifi / 4}}};
        i.ipv4 = {{u"lo"_s, u"127.0.0.1"_s}, {u"wlp2s0"_s, u"192.168.1.20"_s}};
        state->link = {u"wlp2s0"_s, true, (t / 900) % 2 ? u"Dom"_s : u"Biuro"_s};
        const bool nowTethered = now >= tetherFrom && now < tetherTo;
        if (nowTethered) {
            // A reset interface counts from zero again: that reading only sets a new baseline.
            const bool reset = now >= resetAt && now < resetAt + tick;
            const quint64 rx = 12'345 + quint64(t % 1000), tx = rx / 10;
            if (!tethered)
                fedSession = 0;
            else if (!reset)
                fedDay += rx + tx, fedMonth += rx + tx, fedSession += rx + tx;
            tetherIn = reset ? 0 : tetherIn + rx;
            tetherOut = reset ? 0 : tetherOut + tx;
            i.bytes.insert(u"enx1"_s, {tetherIn, tetherOut});
            i.ipv4.insert(u"enx1"_s, u"172.20.10.2"_s);
        }
        tethered = nowTethered;
        state->interfaces = i;
        m.refresh();
        if (t % ticksPerHour == 0) {
            // Every hour a new host comes and the one added before goes.
            const QString guest = u"host-%1"_s.arg(t / ticksPerHour);
            m.setHosts({u"127.0.0.1"_s, u"::1"_s, guest}, {{guest, u"Gość"_s}});
            QCoreApplication::processEvents();
            out << u"hour %1   RSS %2 kB   descriptors %3"_s.arg(t / ticksPerHour, 2).arg(rssKB()).arg(descriptors())
                << Qt::endl;
            if (t == ticksPerHour)
                firstRss = rssKB(), firstFds = descriptors();
        }
    }

    const UsageState& u = m.usage().state();
    m.usage().save();
    const auto savedState = [&m] {
        QFile f(m.usage().file());
        return f.open(QIODevice::ReadOnly) ? UsageState::decode(f.readAll()) : std::nullopt;
    };
    const bool exact =
        u.dayBytes == fedDay && u.monthBytes == fedMonth && m.usage().session() == fedSession && savedState() == u;
    out << u"hotspot day %1 (fed %2), month %3 (fed %4), session %5 (fed %6): %7"_s.arg(u.dayBytes)
               .arg(fedDay)
               .arg(u.monthBytes)
               .arg(fedMonth)
               .arg(m.usage().session())
               .arg(fedSession)
               .arg(exact ? u"exact"_s : u"WRONG"_s)
        << Qt::endl;
    // Hosts that left keep their last five minutes for when they come back: a few kB a day.
    const long grown = rssKB() - firstRss;
    const bool flat = grown < 1024 && descriptors() == firstFds;
    out << u"hours 1 to 24: RSS %1%2 kB, descriptors %3 to %4: %5"_s.arg(grown >= 0 ? u"+"_s : QString())
               .arg(grown)
               .arg(firstFds)
               .arg(descriptors())
               .arg(flat ? u"flat"_s : u"GROWING"_s)
        << Qt::endl;
    return exact && flat ? 0 : 1;
}
