#include "views/detail_rows.h"

#include "core/formatters.h"
#include "core/monitor.h"
#include "details/service.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString interfaceOf(const QString& k) {
    const qsizetype space = k.indexOf(u' ');
    return space < 0 ? QString() : k.left(space);
}

QStringList selfIPs(const DetailFacts& f) {
    return f.tailnet ? f.tailnet->selfIPs : QStringList();
}

// A locally administered address: the second-lowest bit of its first byte is set.
bool isPrivateMAC(const QString& mac) {
    bool ok = false;
    const uint first = QStringView(mac).left(2).toUInt(&ok, 16);
    return ok && mac.size() >= 2 && (first & 2) != 0;
}

QList<DetailRow> tailscaleRows(const Tailnet& t) {
    QList<DetailRow> rows;
    // Older clients report no state ("?") and a status may lack the tailnet or the host: only what is known
    // is shown, and no row when nothing is.
    QStringList parts;
    for (const QString& part : {t.state == u"?" ? QString() : t.state, t.tailnet, t.host}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    if (!parts.isEmpty())
        rows.append({u"Tailscale"_s, parts.join(u" · "_s), u"point.3.connected.trianglepath.dotted"_s});
    QString exit = u"brak - ruch bezpośrednio"_s;
    if (t.exitName) {
        exit = *t.exitName + (t.exitDirect ? u" (direct)"_s : u" (DERP "_s + t.exitRelay + u')') + u" · "_s +
               ms(t.exitPing);
    }
    rows.append({u"Exit node"_s, exit, {}});
    return rows;
}

QList<DetailRow> macRows(const DetailFacts& f) {
    QStringList names;
    QSet<QString> seen;
    for (const KV& row : f.addrs) {
        const QString name = interfaceOf(row.k);
        if (f.curMAC.contains(name) && !seen.contains(name)) {
            seen.insert(name);
            names.append(name);
        }
    }
    names.sort();
    QList<DetailRow> rows;
    const QString symbol = u"barcode"_s;
    for (const QString& name : names) {
        const QString& cur = f.curMAC[name];
        const QString label = interfaceLabel(name, f.ifType);
        const auto hw = f.hwMAC.constFind(name);
        if (hw != f.hwMAC.cend() && *hw != cur) {
            rows.append({label + u" · MAC sprzętowy"_s, *hw, symbol});
            rows.append(
                {label + u" · MAC w tej sieci"_s + (isPrivateMAC(cur) ? u" (prywatny)"_s : QString()), cur, symbol});
        } else {
            rows.append({label + u" · MAC sprzętowy"_s, cur, symbol});
        }
    }
    return rows;
}

} // namespace

DetailFacts detailFacts(const Advanced& a, const Monitor& m) {
    DetailFacts f;
    f.wifi = a.wifi();
    f.addrs = a.addrs();
    f.net = a.net();
    f.ifaces = a.ifaces();
    f.procs = a.procs();
    f.hwMAC = a.hwMAC();
    f.curMAC = a.curMAC();
    f.ifType = a.ifType();
    f.publicIP = a.publicIP();
    f.publicIPExit = a.publicIPExit();
    f.needsLocation = a.needsLocation();
    f.tunnels = a.tunnels();
    f.peakDown = m.peakDown();
    f.peakUp = m.peakUp();
    f.tailnet = m.tailnet();
    return f;
}

QString flowText(const Flow& f) {
    return u"↓ "_s + rate(f.down) + u"  ↑ "_s + rate(f.up);
}

QList<DetailRow> interfaceRows(const DetailFacts& f) {
    QList<DetailRow> rows;
    for (const Flow& flow : f.ifaces) {
        // The first IPv4 address, else (on an IPv6-only network) the first address.
        QString ip;
        QString any;
        const QString prefix = flow.name + u' ';
        for (const KV& row : f.addrs) {
            if (!row.k.startsWith(prefix))
                continue;
            if (any.isEmpty())
                any = row.v;
            if (!row.v.contains(u':')) {
                ip = row.v;
                break;
            }
        }
        if (ip.isEmpty())
            ip = any;
        const Service svc = service(flow.name, ip, selfIPs(f), f.tunnels);
        rows.append({interfaceLabel(flow.name, f.ifType) + u" · "_s + svc.name, flowText(flow), svc.symbol});
    }
    return rows;
}

QList<DetailRow> peakRows(const DetailFacts& f) {
    return {{u"↓ pobieranie"_s, rate(f.peakDown), {}}, {u"↑ wysyłanie"_s, rate(f.peakUp), {}}};
}

QList<DetailRow> processRows(const DetailFacts& f) {
    QList<DetailRow> rows;
    for (const Flow& flow : f.procs)
        rows.append({flow.name, flowText(flow), {}});
    return rows;
}

QList<DetailRow> wifiRows(const DetailFacts& f) {
    QList<DetailRow> rows;
    for (const KV& row : f.wifi)
        rows.append({row.k, row.v, {}});
    return rows;
}

QList<DetailRow> addressRows(const DetailFacts& f) {
    QList<DetailRow> rows;
    for (const KV& row : f.net)
        rows.append({row.k, row.v, {}});
    if (f.tailnet)
        rows.append(tailscaleRows(*f.tailnet));
    rows.append(macRows(f));
    for (const KV& row : f.addrs) {
        const QString name = interfaceOf(row.k);
        const Service svc = service(name, row.v, selfIPs(f), f.tunnels);
        rows.append({interfaceLabel(name, f.ifType) + u" · "_s + svc.name, row.v, svc.symbol});
    }
    return rows;
}

std::optional<QString> currentExit(const DetailFacts& f) {
    return f.tailnet ? f.tailnet->exitName : std::nullopt;
}

std::optional<PublicIPResult> publicIPResult(const DetailFacts& f) {
    if (!f.publicIP || f.publicIPExit != currentExit(f))
        return std::nullopt;
    const QString& ip = *f.publicIP;
    QString suffix;
    if (f.tailnet && f.tailnet->state == u"Running" && f.tailnet->exitName) {
        const QString& exit = *f.tailnet->exitName;
        suffix = f.tailnet->exitAddr.startsWith(ip + u':') ? u" = exit node "_s + exit : u" przez "_s + exit;
    }
    return PublicIPResult{ip + suffix, ip};
}

QList<DetailCard> detailCards(const DetailFacts& f) {
    // The Wi-Fi list always has a row once read ("Wi-Fi: brak" without a card), so empty means not read yet.
    // "Szczyt" always has its rows and "Adresy" its public-IP line.
    return {
        {u"Interfejsy"_s, interfaceRows(f), u"brak aktywnych interfejsów"_s},
        {u"Szczyt (5 min)"_s, peakRows(f), {}},
        {u"Procesy"_s, processRows(f), u"zbieram dane…"_s},
        {u"Wi-Fi"_s, wifiRows(f), u"zbieram dane…"_s},
        {u"Adresy"_s, addressRows(f), {}},
    };
}
