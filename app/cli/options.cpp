#include "cli/options.h"

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

Options parseOptions(const QStringList& arguments) {
    Options o;
    // The maintenance switches win over everything, in this order.
    if (arguments.contains(u"--snapshot-test"_s)) {
        o.mode = Options::Mode::SnapshotTest;
        return o;
    }
    if (arguments.contains(u"--unregister"_s)) {
        o.mode = Options::Mode::Unregister;
        return o;
    }
    if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
        o.mode = Options::Mode::Help;
        return o;
    }
    if (arguments.contains(u"--version"_s)) {
        o.mode = Options::Mode::Version;
        return o;
    }
    if (arguments.contains(u"--watch"_s))
        o.mode = Options::Mode::Watch;
    if (arguments.contains(u"--details"_s))
        o.mode = Options::Mode::Details;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == u"--hosts"_s) {
            if (i + 1 == arguments.size()) {
                o.error = u"--hosts: brak listy hostów (np. --hosts 127.0.0.1,localhost)"_s;
                return o;
            }
            value = arguments[++i];
        } else if (arguments[i].startsWith(u"--hosts="_s)) {
            value = arguments[i].mid(8);
        } else {
            continue;
        }
        o.hosts = hostList(value);
        if (!o.hosts) {
            o.error = u"--hosts: pusta lista hostów"_s;
            return o;
        }
    }
    return o;
}

QString usage() {
    return u"Użycie: tarnwick [opcje]\n"
           u"\n"
           u"Tarnwick co 2 s pinguje wybrane hosty i mierzy przepustowość sieci.\n"
           u"\n"
           u"  --watch              odczyt w terminalu: jedna linia na odświeżenie, Ctrl-C kończy\n"
           u"  --details            szczegóły sieci (widok Zaawansowane) w terminalu, potem koniec\n"
           u"  --hosts H1,H2,…      hosty tylko dla tego uruchomienia (nic nie zapisuje)\n"
           u"  --snapshot-test      zapisuje testowy plik dla widżetu i odczytuje go\n"
           u"  --unregister         wyłącza uruchamianie przy logowaniu\n"
           u"  --version            wersja\n"
           u"  --help               ta pomoc\n"_s;
}
