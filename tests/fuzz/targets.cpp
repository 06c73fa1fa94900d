// The parsers of outside input, one per fuzz target; each target's build picks its entry by name.
#include "cli/options.h"
#include "common/snapshot.h"
#include "core/ping.h"
#include "core/preferences.h"
#include "core/usage_state.h"
#include "details/process_traffic.h"
#include "details/tailnet.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/process_sampler.h"
#include "platform/linux/resolv_conf.h"
#include "platform/linux/rtnetlink.h"
#include "platform/linux/wifi_link.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <map>

using namespace platform;
using Input = netlink::Bytes;

namespace {

QByteArray bytes(Input d) {
    return {reinterpret_cast<const char*>(d.data()), qsizetype(d.size())};
}

// Every message of one netlink datagram answering request 1.
void eachPayload(Input d, const std::function<void(Input)>& handle) {
    netlink::takeDatagram(d, 1, [&](const netlink::Message& m) { handle(m.payload); });
}

const std::map<std::string_view, std::function<void(Input)>> targets{
    {"ping", [](Input d) { pingTime(QString::fromUtf8(bytes(d))); }},
    {"tailscale", [](Input d) { parseTailnet(bytes(d)); }},
    {"snapshot", [](Input d) { Snapshot::decode(bytes(d)); }},
    {"hotspot_file", [](Input d) { UsageState::decode(bytes(d)); }},
    {"process_lines",
     [](Input d) {
         const ProcessSample s = parseSample(QString::fromUtf8(bytes(d)));
         processFlows(s, s, Seconds{2.0});
     }},
    {"resolv_conf", [](Input d) { resolv::nameservers(bytes(d)); }},
    {"proc_net_route",
     [](Input d) { routes::defaultRoute(routes::parse(bytes(d))), routes::defaultRoute6(routes::parse6(bytes(d))); }},
    {"rtnetlink",
     [](Input d) { eachPayload(d, [](Input p) { rtnetlink::parseLink(p), rtnetlink::parseAddress(p); }); }},
    {"sock_diag", [](Input d) { eachPayload(d, [](Input p) { procnet::parseSocket(p); }); }},
    // Every reader takes every message: a reply of one kind must not upset the reader of another.
    {"nl80211",
     [](Input d) {
         WifiLink link;
         eachPayload(d, [&](Input p) {
             nl80211::parseFamilyId(p), nl80211::parseInterface(p), wifi::surveyNoise(p), wifi::parseBss(p);
             wifi::readInterface(p, link), wifi::readStation(p, link);
         });
     }},
    // Two bytes of BSS capability, then an RSN element's body, which is also read as a list of elements.
    {"rsn",
     [](Input d) {
         const Input body = d.size() >= 2 ? d.subspan(2) : Input{};
         wifi::rsnSecurity(body), wifi::accessPointOf(body, d.size() >= 2 ? quint16(d[1]) << 8 | quint16(d[0]) : 0);
     }},
    // The settings file as a user may have edited it, through every accessor.
    {"settings",
     [](Input d) {
         static const QTemporaryDir dir;
         QFile f(dir.filePath(QStringLiteral("Tarnwick.conf")));
         if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes(d)) != qint64(d.size()))
             return;
         f.close();
         const Preferences p(f.fileName());
         p.hosts(), p.hostLabels(), p.tab(), p.advanced(), p.pinned(), p.mini(), p.loginAsked();
         p.hotspotLimitGB(), p.panelExpand(), p.frame(Preferences::Frame::Mini), p.frame(Preferences::Frame::Pinned);
     }},
    // Arguments separated by NUL bytes, as the kernel hands them over.
    {"command_line",
     [](Input d) {
         QStringList arguments;
         for (const QByteArray& argument : bytes(d).split('\0'))
             arguments.append(QString::fromLocal8Bit(argument));
         parseOptions(arguments);
     }},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    targets.at(TARNWICK_FUZZ_TARGET)(std::as_bytes(std::span(data, size)));
    return 0;
}

#ifndef TARNWICK_LIBFUZZER
// Without libFuzzer: every file in the folders given, once each, as a test of the inputs kept in the tree.
int main(int argc, char** argv) {
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        for (QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files); it.hasNext(); ++inputs) {
            QFile f(it.next());
            const QByteArray content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            // Exactly as long as the input, so the sanitizers see a read past its end.
            const std::vector<std::uint8_t> input(content.begin(), content.end());
            LLVMFuzzerTestOneInput(input.data(), input.size());
        }
    }
    return inputs > 0 ? 0 : 1;
}
#endif
