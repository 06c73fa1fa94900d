#include "platform/linux/vpn_programs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace platform::vpn {

namespace {

struct Program {
    QStringView daemon; // the beginning of its process name
    QStringView name;
    std::array<QStringView, 2> interfaces; // pieces of the names it gives its tunnels
};

// In order of preference when several would claim one tunnel.
constexpr std::array<Program, 5> programs{{
    {u"nordvpnd", u"NordVPN", {u"nordlynx", u"nordtun"}},
    {u"mullvad-daemon", u"Mullvad VPN", {u"mullvad", {}}},
    {u"protonvpn", u"Proton VPN", {u"proton", {}}},
    {u"warp-svc", u"Cloudflare WARP", {u"CloudflareWARP", {}}},
    {u"wireguard", u"WireGuard", {}}, // wireguard-go names its tunnel as its user asks
}};

// The interfaces that the tun descriptors of process `pid` are attached to ("iff:" in their fdinfo).
QStringList attached(const QString& procRoot, int pid) {
    QStringList names;
    const QString dir = procRoot + u'/' + QString::number(pid);
    for (const QFileInfo& fd : QDir(dir + u"/fd"_s).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() != u"/dev/net/tun")
            continue;
        QFile info(dir + u"/fdinfo/"_s + fd.fileName());
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : info.read(4096).split('\n')) {
            if (line.startsWith("iff:"))
                names.append(QString::fromUtf8(line.mid(4).trimmed()));
        }
    }
    return names;
}

} // namespace

QMap<QString, QString> owners(const QStringList& tunnels, const std::vector<procnet::Process>& processes,
                              const QString& procRoot) {
    QMap<QString, QString> result;
    for (const QString& tunnel : tunnels)
        result.insert(tunnel, QString());
    for (const Program& program : programs) {
        QStringList held;
        bool runs = false;
        for (const procnet::Process& p : processes) {
            if (p.name.startsWith(program.daemon)) {
                runs = true;
                held += attached(procRoot, p.pid);
            }
        }
        if (!runs)
            continue;
        for (auto it = result.begin(); it != result.end(); ++it) {
            if (!it->isEmpty())
                continue;
            const bool named =
                std::any_of(program.interfaces.begin(), program.interfaces.end(),
                            [&it](QStringView piece) { return !piece.isEmpty() && it.key().contains(piece); });
            if (named || held.contains(it.key()))
                *it = program.name.toString();
        }
    }
    return result;
}

} // namespace platform::vpn
