#include "cli/options.h"

#include "common/container.h"

using namespace Qt::StringLiterals;

namespace {

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
        u"Monitor sieci w zasobniku systemowym: co 2 s pinguje hosty i mierzy prędkość łącza."_s,
        {
            {u"--watch"_s, {}, u"odczyt w terminalu, jedna linia na odświeżenie; Ctrl-C kończy"_s},
            {u"--details"_s, {}, u"szczegóły sieci (widok Zaawansowane) w terminalu, potem koniec"_s},
            {u"--hosts"_s, u"H1,H2,…"_s, u"hosty tylko dla tego uruchomienia (nic nie zapisuje)"_s},
            {u"--snapshot-test"_s, {}, u"zapisuje testowy plik dla widżetu i odczytuje go"_s},
            {u"--unregister"_s, {}, u"wyłącza uruchamianie przy logowaniu"_s},
            {u"--version"_s, {}, u"wersja"_s},
            {u"--help"_s, {}, u"ta pomoc"_s},
        },
        {
            {u"~/.config/Tarnwick/Tarnwick.conf"_s, u"ustawienia: hosty, limit hotspotu, okna"_s},
            {u"~/.local/share/Tarnwick/hotspot-usage.json"_s, u"dane zużyte przez hotspot (dzień, miesiąc)"_s},
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
        if (!o.hosts) {
            o.error = u"pusta lista hostów: --hosts "_s + c.value(u"--hosts"_s);
            return o;
        }
    }
    // The maintenance switches win over everything, in this order.
    using M = Options::Mode;
    for (const auto& [name, mode] : {std::pair{u"--snapshot-test"_s, M::SnapshotTest},
                                     {u"--unregister"_s, M::Unregister},
                                     {u"--help"_s, M::Help},
                                     {u"--version"_s, M::Version},
                                     {u"--details"_s, M::Details},
                                     {u"--watch"_s, M::Watch}}) {
        if (c.has(name)) {
            o.mode = mode;
            break;
        }
    }
    return o;
}
