#include "cli/options.h"

#include "common/container.h"
#include "core/history.h"
#include "core/ping.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int maxHours = int(History::keep / std::chrono::hours(1));

std::optional<QStringList> hostList(const QString& value) {
    QStringList hosts;
    for (const QString& part : value.split(u',')) {
        if (const QString host = part.trimmed(); !host.isEmpty())
            hosts.append(host);
    }
    if (hosts.isEmpty())
        return std::nullopt;
    return hosts;
}

} // namespace

const Help& help() {
    static const Help h{
        u"tarnwick"_s,
        u"Monitor sieci w zasobniku systemowym: co 2 s pinguje hosty i mierzy prędkość łącza.\n"
        u"Pinguje z gniazda ICMP, gdy net.ipv4.ping_group_range obejmuje grupę użytkownika, inaczej przez /bin/ping;\n"
        u"--watch podaje sposób w pierwszej linii."_s,
        {
            {u"--watch"_s, {}, u"odczyt w terminalu, jedna linia na odświeżenie; Ctrl-C kończy"_s},
            {u"--details"_s, {}, u"szczegóły sieci (widok Zaawansowane) w terminalu, potem koniec"_s},
            {u"--hosts"_s, u"H1,H2,…"_s, u"hosty tylko dla tego uruchomienia (nic nie zapisuje)"_s},
            {u"--history"_s, {}, u"dostępność, przerwy i opóźnienia każdego hosta z zapisanej historii"_s},
            {u"--hours"_s, u"N"_s, u"z ilu ostatnich godzin --history (1–168, domyślnie 24)"_s},
            {u"--csv"_s, {}, u"--history jako CSV: jeden wiersz na host i minutę"_s},
            {u"--metrics"_s, u"PLIK"_s, u"co 30 s zapisuje wyniki w formacie Prometheus (textfile node_exportera)"_s},
            {u"--snapshot-test"_s, {}, u"zapisuje testowy plik dla widżetu i odczytuje go"_s},
            {u"--unregister"_s, {}, u"wyłącza uruchamianie przy logowaniu"_s},
            {u"--version"_s, {}, u"wersja"_s},
            {u"--help"_s, {}, u"ta pomoc"_s},
        },
        {
            {u"~/.config/Tarnwick/Tarnwick.conf"_s, u"ustawienia: hosty, limit hotspotu, okna"_s},
            {u"~/.local/share/Tarnwick/hotspot-usage.json"_s, u"dane zużyte przez hotspot (dzień, miesiąc)"_s},
            {u"~/.local/share/Tarnwick/history.sqlite"_s, u"historia: każda minuta i każda przerwa z 7 dni"_s},
            {u"~/.local/share/"_s + QLatin1StringView(appGroupId) + u"/snapshot.json"_s,
             u"ostatnie wyniki dla widżetu"_s},
            {u"~/.config/autostart/tarnwick.desktop"_s, u"uruchamianie przy logowaniu"_s},
        },
        {{0, u"zakończony (także gdy --unregister się nie powiódł)"_s}},
    };
    return h;
}

Options parseOptions(const QStringList& arguments) {
    Options o;
    const CommandLine c = readCommandLine(arguments, help().switches);
    if (!c.error.isEmpty()) {
        o.error = c.error;
        return o;
    }
    if (c.has(u"--hosts"_s)) {
        o.hosts = hostList(c.value(u"--hosts"_s));
        if (o.hosts) {
            const auto unsafe = std::stable_partition(o.hosts->begin(), o.hosts->end(), isSafeHost);
            o.refusedHosts = QStringList(unsafe, o.hosts->end());
            o.hosts->erase(unsafe, o.hosts->end());
            if (o.hosts->isEmpty())
                o.hosts.reset();
        }
        if (!o.hosts) {
            o.error = u"pusta lista hostów: --hosts "_s + c.value(u"--hosts"_s);
            return o;
        }
    }
    if (c.has(u"--metrics"_s))
        o.metrics = c.value(u"--metrics"_s);
    // The maintenance switches win over everything, in this order.
    using M = Options::Mode;
    for (const auto& [name, mode] : {std::pair{u"--snapshot-test"_s, M::SnapshotTest},
                                     {u"--unregister"_s, M::Unregister},
                                     {u"--help"_s, M::Help},
                                     {u"--version"_s, M::Version},
                                     {u"--history"_s, M::History},
                                     {u"--details"_s, M::Details},
                                     {u"--watch"_s, M::Watch}}) {
        if (c.has(name)) {
            o.mode = mode;
            break;
        }
    }
    for (const QString& name : {u"--hours"_s, u"--csv"_s}) {
        if (c.has(name) && !c.has(u"--history"_s)) {
            o.error = name + u" działa tylko z --history"_s;
            return o;
        }
    }
    if (c.has(u"--hours"_s)) {
        bool ok = false;
        o.hours = c.value(u"--hours"_s).toInt(&ok);
        if (!ok || o.hours < 1 || o.hours > maxHours) {
            o.error = u"zła liczba godzin (1–168): --hours "_s + c.value(u"--hours"_s);
            return o;
        }
    }
    o.csv = c.has(u"--csv"_s);
    return o;
}
