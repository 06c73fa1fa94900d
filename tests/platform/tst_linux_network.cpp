#include "platform/linux/netlink.h"
#include "platform/linux/nl80211.h"
#include "platform/linux/proc_net_route.h"
#include "platform/linux/rtnetlink.h"
#include "support/netns.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

using Buffer = std::vector<std::byte>;

template <typename T> netlink::Bytes bytesOf(const T& value) {
    return std::as_bytes(std::span(&value, 1));
}

netlink::Bytes bytesOf(QByteArrayView text) {
    return std::as_bytes(std::span(text.data(), std::size_t(text.size())));
}

Buffer attribute(quint16 type, netlink::Bytes payload) {
    Buffer out;
    netlink::appendAttribute(out, type, payload);
    return out;
}

Buffer concat(std::initializer_list<netlink::Bytes> parts) {
    Buffer out;
    for (const netlink::Bytes part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A copy in an allocation of exactly its size, so that the sanitizer build catches any read past the end.
class Exact {
public:
    explicit Exact(netlink::Bytes bytes)
        : data_(new std::byte[bytes.size()])
        , size_(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), data_.get());
    }
    netlink::Bytes bytes() const { return {data_.get(), size_}; }

private:
    std::unique_ptr<std::byte[]> data_;
    std::size_t size_;
};

// What the bytes after the message header of a built message are.
netlink::Bytes payloadOf(const netlink::Builder& message) {
    return message.bytes().subspan(sizeof(nlmsghdr));
}

std::vector<netlink::Attribute> attributesOf(netlink::Bytes bytes) {
    std::vector<netlink::Attribute> out;
    for (const netlink::Attribute& a : netlink::Attributes(bytes))
        out.push_back(a);
    return out;
}

netlink::Builder message(quint16 type, quint16 flags, quint32 sequence) {
    netlink::Builder b(type, flags);
    b.setSequence(sequence);
    return b;
}

// A message whose length field covers exactly `payload`, without the padding a Builder adds.
Buffer rawMessage(quint16 type, quint32 sequence, netlink::Bytes payload) {
    nlmsghdr header{};
    header.nlmsg_len = quint32(sizeof header + payload.size());
    header.nlmsg_type = type;
    header.nlmsg_seq = sequence;
    return concat({bytesOf(header), payload});
}

netlink::Builder errorMessage(int error, quint32 sequence) {
    netlink::Builder b = message(NLMSG_ERROR, 0, sequence);
    nlmsgerr body{};
    body.error = error;
    b.append(body);
    return b;
}

struct Taken {
    netlink::Progress progress;
    QList<quint16> types;
};

Taken take(netlink::Bytes datagram, quint32 sequence) {
    Taken t;
    const Exact exact(datagram);
    t.progress =
        netlink::takeDatagram(exact.bytes(), sequence, [&t](const netlink::Message& m) { t.types.append(m.type); });
    return t;
}

rtnl_link_stats64 statistics(quint64 in, quint64 out) {
    rtnl_link_stats64 s{};
    s.rx_bytes = in;
    s.tx_bytes = out;
    s.rx_packets = 11;
    s.tx_packets = 12;
    return s;
}

netlink::Builder linkMessage(int index, const char* name, std::optional<netlink::Bytes> stats) {
    netlink::Builder b(RTM_NEWLINK, NLM_F_MULTI);
    ifinfomsg header{};
    header.ifi_index = index;
    b.append(header);
    b.attribute(IFLA_MTU, bytesOf(quint32(1500)));
    if (name)
        b.attribute(IFLA_IFNAME, name);
    if (stats)
        b.attribute(IFLA_STATS64, *stats);
    return b;
}

using Ipv4 = std::array<quint8, 4>;

netlink::Builder addressMessage(quint8 family, int index, std::optional<Ipv4> local, std::optional<Ipv4> address,
                                const char* label = nullptr) {
    netlink::Builder b(RTM_NEWADDR, NLM_F_MULTI);
    ifaddrmsg header{};
    header.ifa_family = family;
    header.ifa_prefixlen = 24;
    header.ifa_index = quint32(index);
    b.append(header);
    if (address)
        b.attribute(IFA_ADDRESS, bytesOf(*address));
    if (local)
        b.attribute(IFA_LOCAL, bytesOf(*local));
    if (label)
        b.attribute(IFA_LABEL, label);
    return b;
}

netlink::Builder genericMessage(quint16 family, quint8 command) {
    netlink::Builder b(family, NLM_F_MULTI);
    genlmsghdr header{};
    header.cmd = command;
    header.version = 1;
    b.append(header);
    return b;
}

netlink::Builder wirelessMessage(const char* name, std::optional<QByteArray> ssid) {
    netlink::Builder b = genericMessage(0x1c, NL80211_CMD_NEW_INTERFACE);
    b.attribute(NL80211_ATTR_IFINDEX, bytesOf(quint32(3)));
    if (name)
        b.attribute(NL80211_ATTR_IFNAME, name);
    b.attribute(NL80211_ATTR_IFTYPE, bytesOf(quint32(NL80211_IFTYPE_STATION)));
    b.attribute(NL80211_ATTR_WIPHY, bytesOf(quint32(0)));
    if (ssid)
        b.attribute(NL80211_ATTR_SSID, bytesOf(QByteArrayView(*ssid)));
    return b;
}

// /proc/net/route as the kernel prints it: tab-separated, lines padded to 127 characters.
QByteArray routeText(const QList<QByteArray>& lines) {
    QByteArray text = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT";
    text = text.leftJustified(127) + '\n';
    for (const QByteArray& line : lines)
        text += line.leftJustified(127) + '\n';
    return text;
}

// The test may not use socket headers; bash's /dev/udp sends the datagrams, each write one datagram.
void sendToLoopback(int count, int size) {
    QProcess bash;
    const QString script = u"p=$(head -c %2 /dev/zero | tr '\\0' x); "
                           "for i in $(seq %1); do printf %s \"$p\" > /dev/udp/127.0.0.1/47010; done"_s.arg(count)
                               .arg(size);
    bash.start(u"/bin/bash"_s, {u"-c"_s, script});
    QVERIFY(bash.waitForFinished(20000));
    QCOMPARE(bash.exitCode(), 0);
}

// sysfs shows the namespace it was mounted in: the initial one, which the kernel numbers 0xEFFFFFF9.
bool inInitialNamespace() {
    return QFileInfo(u"/proc/thread-self/ns/net"_s).symLinkTarget().endsWith(u"/net:[4026531833]"_s);
}

quint64 readNumber(const QString& text) {
    bool ok = false;
    const quint64 value = text.trimmed().toULongLong(&ok);
    if (!ok)
        qWarning("not a number: %s", qPrintable(text));
    return value;
}

} // namespace

class TestLinuxNetwork : public QObject {
    Q_OBJECT

private slots:
    // Attribute iteration.

    void attributesWalkARange() {
        const Buffer bytes = concat({attribute(1, bytesOf(QByteArrayView("abc"))), attribute(2, {}),
                                     attribute(3 | NLA_F_NET_BYTEORDER, bytesOf(quint32(0xdeadbeef)))});
        QCOMPARE(bytes.size(), 8u + 4u + 8u);
        const auto all = attributesOf(bytes);
        QCOMPARE(all.size(), 3u);
        QCOMPARE(all[0].type, 1);
        QCOMPARE(all[0].payload.size(), 3u);
        QCOMPARE(all[0].text(), u"abc"_s);
        QCOMPARE(all[1].type, 2);
        QVERIFY(all[1].payload.empty());
        QCOMPARE(all[2].type, 3);
        QCOMPARE(netlink::read<quint32>(all[2].payload), 0xdeadbeefu);
    }

    void attributesNest() {
        const Buffer inner =
            concat({attribute(1, bytesOf(quint16(7))), attribute(2, bytesOf(QByteArrayView("x\0", 2)))});
        const Buffer bytes = concat({attribute(4, bytesOf(quint8(1))), attribute(5 | NLA_F_NESTED, inner)});
        const auto outer = attributesOf(bytes);
        QCOMPARE(outer.size(), 2u);
        QCOMPARE(outer[1].type, 5);
        const auto children = attributesOf(outer[1].payload);
        QCOMPARE(children.size(), 2u);
        QCOMPARE(netlink::read<quint16>(children[0].payload), quint16(7));
        QCOMPARE(children[1].text(), u"x"_s);
    }

    void attributesStopAtEveryCut() {
        const Buffer a = attribute(1, bytesOf(QByteArrayView("abcde")));
        const Buffer b = attribute(2, bytesOf(quint64(42)));
        const Buffer c = attribute(3, bytesOf(QByteArrayView("z")));
        const Buffer bytes = concat({a, b, c});
        // Where each attribute's unpadded end lies: it is whole once the cut reaches it.
        const std::size_t ends[] = {4 + 5, a.size() + 12, a.size() + b.size() + 5};
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            const Exact exact(netlink::Bytes(bytes).first(cut));
            const auto got = attributesOf(exact.bytes());
            const auto whole = std::size_t(
                std::count_if(std::begin(ends), std::end(ends), [cut](std::size_t end) { return end <= cut; }));
            QCOMPARE(got.size(), whole);
            for (const auto& attr : got)
                QVERIFY(attr.payload.data() + attr.payload.size() <= exact.bytes().data() + cut);
        }
    }

    void attributesRejectBadLengths_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        const QByteArray valid("\x05\x00\x01\x00\x61\x00\x00\x00", 8);
        QTest::newRow("zero length") << QByteArray("\x00\x00\x01\x00\x00\x00\x00\x00", 8) << 0;
        QTest::newRow("shorter than its header") << QByteArray("\x03\x00\x01\x00\x00\x00\x00\x00", 8) << 0;
        QTest::newRow("zero length after a valid one") << valid + QByteArray("\x00\x00\x02\x00", 4) << 1;
        QTest::newRow("longer than the range") << valid + QByteArray("\x09\x00\x02\x00\x01\x02\x03\x04", 8) << 1;
        QTest::newRow("largest length") << valid + QByteArray("\xff\xff\x02\x00", 4) << 1;
        QTest::newRow("trailing half header") << valid + QByteArray("\x04\x00", 2) << 1;
        QTest::newRow("last one unpadded") << valid + QByteArray("\x05\x00\x02\x00\x62", 5) << 2;
        QTest::newRow("empty") << QByteArray() << 0;
    }

    void attributesRejectBadLengths() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        const Exact exact(bytesOf(QByteArrayView(bytes)));
        QCOMPARE(int(attributesOf(exact.bytes()).size()), count);
    }

    void readChecksBounds() {
        const Buffer eight = concat({bytesOf(quint32(1)), bytesOf(quint32(2))});
        QCOMPARE(netlink::read<quint32>(eight, 4), 2u);
        QCOMPARE(netlink::read<quint32>(eight, 5), std::nullopt);
        QCOMPARE(netlink::read<quint32>(eight, 9), std::nullopt);
        QCOMPARE(netlink::read<quint64>(netlink::Bytes(eight).first(7)), std::nullopt);
        QCOMPARE(netlink::after(eight, 3).size(), 4u);
        QVERIFY(netlink::after(eight, 9).empty());
    }

    void textStopsAtNul() {
        const Buffer named = attribute(IFLA_IFNAME, bytesOf(QByteArrayView("eth0\0junk", 9)));
        QCOMPARE(attributesOf(named).at(0).text(), u"eth0"_s);
        const Buffer bare = attribute(IFLA_IFNAME, bytesOf(QByteArrayView("wlan1")));
        QCOMPARE(attributesOf(bare).at(0).text(), u"wlan1"_s);
    }

    // Splitting replies into messages.

    void dumpEndsAtDone() {
        const auto done = message(NLMSG_DONE, NLM_F_MULTI, 7);
        const Buffer datagram =
            concat({message(RTM_NEWLINK, NLM_F_MULTI, 7).bytes(), message(RTM_NEWADDR, NLM_F_MULTI, 7).bytes(),
                    done.bytes(), message(RTM_NEWLINK, NLM_F_MULTI, 7).bytes()});
        const Taken t = take(datagram, 7);
        QVERIFY(t.progress.done);
        QCOMPARE(t.progress.error, 0);
        QCOMPARE(t.types, (QList<quint16>{RTM_NEWLINK, RTM_NEWADDR}));
    }

    void dumpGoesOnWithoutDone() {
        const Buffer datagram =
            concat({message(RTM_NEWLINK, NLM_F_MULTI, 7).bytes(), message(NLMSG_NOOP, NLM_F_MULTI, 7).bytes()});
        const Taken t = take(datagram, 7);
        QVERIFY(!t.progress.done);
        QCOMPARE(t.types, QList<quint16>{RTM_NEWLINK});
    }

    void otherRequestsAreSkipped() {
        const Buffer datagram =
            concat({message(RTM_NEWLINK, NLM_F_MULTI, 6).bytes(), message(NLMSG_DONE, NLM_F_MULTI, 6).bytes(),
                    errorMessage(-EPERM, 8).bytes(), message(RTM_NEWADDR, NLM_F_MULTI, 7).bytes()});
        const Taken t = take(datagram, 7);
        QVERIFY(!t.progress.done);
        QCOMPARE(t.types, QList<quint16>{RTM_NEWADDR});
    }

    void errorsEndTheReply() {
        const Taken failed = take(errorMessage(-ENOENT, 3).bytes(), 3);
        QVERIFY(failed.progress.done);
        QCOMPARE(failed.progress.error, ENOENT);
        const Taken acknowledged = take(errorMessage(0, 3).bytes(), 3);
        QVERIFY(acknowledged.progress.done);
        QCOMPARE(acknowledged.progress.error, 0);
        const Taken positive = take(errorMessage(5, 3).bytes(), 3);
        QCOMPARE(positive.progress.error, EPROTO);
        const Taken shortError = take(rawMessage(NLMSG_ERROR, 3, bytesOf(quint16(0))), 3);
        QVERIFY(shortError.progress.done);
        QCOMPARE(shortError.progress.error, EPROTO);
        const Taken overrun = take(message(NLMSG_OVERRUN, 0, 3).bytes(), 3);
        QCOMPARE(overrun.progress.error, EOVERFLOW);
    }

    void doneCarriesAFailure() {
        auto done = message(NLMSG_DONE, NLM_F_MULTI, 4);
        done.append(int(-EINTR));
        const Taken t = take(done.bytes(), 4);
        QVERIFY(t.progress.done);
        QCOMPARE(t.progress.error, EINTR);
    }

    void singleAnswerEndsTheReply() {
        const Buffer datagram = concat({message(GENL_ID_CTRL, 0, 9).bytes(), message(GENL_ID_CTRL, 0, 9).bytes()});
        const Taken t = take(datagram, 9);
        QVERIFY(t.progress.done);
        QCOMPARE(t.progress.error, 0);
        QCOMPARE(t.types.size(), 1);
    }

    void malformedMessagesFail_data() {
        QTest::addColumn<quint32>("length");
        QTest::newRow("zero") << 0u;
        QTest::newRow("shorter than the header") << 15u;
        QTest::newRow("past the datagram") << 4096u;
        QTest::newRow("largest") << 0xffffffffu;
    }

    void malformedMessagesFail() {
        QFETCH(quint32, length);
        nlmsghdr header{};
        header.nlmsg_len = length;
        header.nlmsg_type = RTM_NEWLINK;
        header.nlmsg_flags = NLM_F_MULTI;
        header.nlmsg_seq = 2;
        const Buffer datagram = concat({message(RTM_NEWADDR, NLM_F_MULTI, 2).bytes(), bytesOf(header)});
        const Taken t = take(datagram, 2);
        QVERIFY(t.progress.done);
        QCOMPARE(t.progress.error, EPROTO);
        QCOMPARE(t.types, QList<quint16>{RTM_NEWADDR});
    }

    void everyCutOfADatagramIsSafe() {
        const rtnl_link_stats64 stats = statistics(1000, 2000);
        const auto lo = linkMessage(1, "lo", bytesOf(stats));
        const auto eth = linkMessage(2, "eth0", bytesOf(stats));
        const Buffer datagram = concat({lo.bytes(), eth.bytes(), message(NLMSG_DONE, NLM_F_MULTI, 0).bytes()});
        const std::size_t first = lo.bytes().size();
        const std::size_t second = first + eth.bytes().size();
        for (std::size_t cut = 0; cut <= datagram.size(); ++cut) {
            const Exact exact(netlink::Bytes(datagram).first(cut));
            int parsed = 0;
            const auto progress = netlink::takeDatagram(exact.bytes(), 0, [&parsed](const netlink::Message& m) {
                QVERIFY(rtnetlink::parseLink(m.payload));
                ++parsed;
            });
            // Whole messages come through; one cut short fails the datagram.
            QCOMPARE(parsed, cut < first ? 0 : cut < second ? 1 : 2);
            if (cut == datagram.size()) {
                QVERIFY(progress.done);
                QCOMPARE(progress.error, 0);
            } else if (cut == 0 || cut == first || cut == second) {
                QVERIFY(!progress.done);
            } else {
                QVERIFY(progress.done);
                QCOMPARE(progress.error, EPROTO);
            }
        }
    }

    // Route netlink messages.

    void linkWithStatistics() {
        const rtnl_link_stats64 stats = statistics((quint64(1) << 40) + 5, 7);
        const auto link = rtnetlink::parseLink(payloadOf(linkMessage(4, "enp3s0", bytesOf(stats))));
        QVERIFY(link);
        QCOMPARE(link->index, 4);
        QCOMPARE(link->name, u"enp3s0"_s);
        QCOMPARE(link->bytes, (Counters{(quint64(1) << 40) + 5, 7}));
    }

    void linkWithoutStatistics() {
        const auto link = rtnetlink::parseLink(payloadOf(linkMessage(2, "eth0", std::nullopt)));
        QVERIFY(link);
        QCOMPARE(link->name, u"eth0"_s);
        QCOMPARE(link->bytes, std::nullopt);
    }

    void linkWithShortStatistics() {
        const rtnl_link_stats64 stats = statistics(100, 200);
        // The four leading counters are all an old kernel's structure needs to carry.
        const auto leading = rtnetlink::parseLink(payloadOf(linkMessage(2, "eth0", bytesOf(stats).first(32))));
        QCOMPARE(leading->bytes, (Counters{100, 200}));
        const auto cut = rtnetlink::parseLink(payloadOf(linkMessage(2, "eth0", bytesOf(stats).first(31))));
        QVERIFY(cut);
        QCOMPARE(cut->bytes, std::nullopt);
    }

    void linkWithoutNameOrHeader() {
        QCOMPARE(rtnetlink::parseLink(payloadOf(linkMessage(2, nullptr, std::nullopt))), std::nullopt);
        QCOMPARE(rtnetlink::parseLink(payloadOf(linkMessage(2, "", std::nullopt))), std::nullopt);
        const rtnl_link_stats64 stats = statistics(1, 2);
        const Exact header(payloadOf(linkMessage(2, "eth0", bytesOf(stats))).first(sizeof(ifinfomsg) - 1));
        QCOMPARE(rtnetlink::parseLink(header.bytes()), std::nullopt);
    }

    void linkCutAnywhere() {
        const rtnl_link_stats64 stats = statistics(5, 6);
        const auto built = linkMessage(9, "eth1", bytesOf(stats));
        const netlink::Bytes payload = payloadOf(built);
        for (std::size_t cut = 0; cut <= payload.size(); ++cut) {
            const Exact exact(payload.first(cut));
            const auto link = rtnetlink::parseLink(exact.bytes());
            if (cut == payload.size())
                QCOMPARE(link->bytes, (Counters{5, 6}));
            else if (link)
                QCOMPARE(link->bytes, std::nullopt);
            if (link)
                QCOMPARE(link->name, u"eth1"_s);
        }
    }

    void addressPrefersLocal() {
        const auto address =
            rtnetlink::parseAddress(payloadOf(addressMessage(AF_INET, 3, Ipv4{10, 8, 0, 5}, Ipv4{10, 8, 0, 1})));
        QVERIFY(address);
        QCOMPARE(address->index, 3);
        QCOMPARE(address->address, u"10.8.0.5"_s);
    }

    void addressFallsBackToAddress() {
        const auto address = rtnetlink::parseAddress(
            payloadOf(addressMessage(AF_INET, 2, std::nullopt, Ipv4{192, 168, 255, 254}, "eth0:1")));
        QCOMPARE(address->address, u"192.168.255.254"_s);
    }

    void addressRejectsOthers() {
        QCOMPARE(rtnetlink::parseAddress(payloadOf(addressMessage(AF_INET, 2, std::nullopt, std::nullopt))),
                 std::nullopt);
        QCOMPARE(rtnetlink::parseAddress(payloadOf(addressMessage(AF_INET6, 2, Ipv4{1, 2, 3, 4}, std::nullopt))),
                 std::nullopt);
        netlink::Builder wide(RTM_NEWADDR, NLM_F_MULTI);
        ifaddrmsg header{};
        header.ifa_family = AF_INET;
        header.ifa_index = 2;
        wide.append(header);
        wide.attribute(IFA_LOCAL, bytesOf(std::array<quint8, 16>{}));
        QCOMPARE(rtnetlink::parseAddress(payloadOf(wide)), std::nullopt);
        const Exact cut(payloadOf(addressMessage(AF_INET, 2, Ipv4{1, 2, 3, 4}, std::nullopt)).first(7));
        QCOMPARE(rtnetlink::parseAddress(cut.bytes()), std::nullopt);
    }

    void combineJoinsByIndexAndLastAddressWins() {
        const std::vector<rtnetlink::LinkInfo> links{
            {1, u"lo"_s, Counters{10, 10}}, {2, u"eth0"_s, Counters{300, 400}}, {3, u"wlan0"_s, std::nullopt}};
        const std::vector<rtnetlink::AddressInfo> addresses{
            {1, u"127.0.0.1"_s}, {2, u"10.0.0.1"_s}, {9, u"10.9.9.9"_s}, {2, u"10.0.0.2"_s}, {3, u"10.0.3.1"_s}};
        const Interfaces got = rtnetlink::combine(links, addresses);
        QCOMPARE(got.bytes, (QMap<QString, Counters>{{u"lo"_s, {10, 10}}, {u"eth0"_s, {300, 400}}}));
        QCOMPARE(got.ipv4, (QMap<QString, QString>{
                               {u"lo"_s, u"127.0.0.1"_s}, {u"eth0"_s, u"10.0.0.2"_s}, {u"wlan0"_s, u"10.0.3.1"_s}}));
        QCOMPARE(got.counterBits, 64);
    }

    // nl80211 messages.

    void wirelessInterfaceWithSsid() {
        const auto wifi = nl80211::parseInterface(payloadOf(wirelessMessage("wlp2s0", QByteArray("Caf\xc3\xa9 5G"))));
        QVERIFY(wifi);
        QCOMPARE(wifi->name, u"wlp2s0"_s);
        QCOMPARE(wifi->type, quint32(NL80211_IFTYPE_STATION));
        QCOMPARE(wifi->ssid, u"Café 5G"_s);
    }

    void wirelessInterfaceWithoutSsid() {
        QCOMPARE(nl80211::parseInterface(payloadOf(wirelessMessage("wlan0", std::nullopt)))->ssid, std::nullopt);
        QCOMPARE(nl80211::parseInterface(payloadOf(wirelessMessage("wlan0", QByteArray())))->ssid, std::nullopt);
    }

    void ssidBytesThatAreNotUtf8() {
        const auto wifi = nl80211::parseInterface(payloadOf(wirelessMessage("wlan0", QByteArray("a\xff\xfe"
                                                                                                "b\0c",
                                                                                                6))));
        QCOMPARE(wifi->ssid->front(), u'a');
        QCOMPARE(wifi->ssid->back(), u'c');
        QVERIFY(wifi->ssid->contains(QChar::ReplacementCharacter));
        QVERIFY(wifi->ssid->contains(u'b'));
        const auto cut = nl80211::decodeSsid(bytesOf(QByteArrayView("\xe2\x82")));
        QVERIFY(cut && !cut->isEmpty());
        QVERIFY(std::all_of(cut->begin(), cut->end(), [](QChar c) { return c == QChar::ReplacementCharacter; }));
    }

    void wirelessInterfaceWithoutNetdev() {
        QCOMPARE(nl80211::parseInterface(payloadOf(wirelessMessage(nullptr, QByteArray("x")))), std::nullopt);
        const Exact header(payloadOf(wirelessMessage("wlan0", std::nullopt)).first(3));
        QCOMPARE(nl80211::parseInterface(header.bytes()), std::nullopt);
    }

    void wirelessInterfaceCutAnywhere() {
        const auto built = wirelessMessage("wlan0", QByteArray("Home"));
        const netlink::Bytes payload = payloadOf(built);
        for (std::size_t cut = 0; cut <= payload.size(); ++cut) {
            const Exact exact(payload.first(cut));
            const auto wifi = nl80211::parseInterface(exact.bytes());
            if (cut == payload.size())
                QCOMPARE(wifi->ssid, u"Home"_s);
            else if (wifi)
                QCOMPARE(wifi->ssid, std::nullopt);
        }
    }

    void familyIdFromTheController() {
        netlink::Builder answer = genericMessage(GENL_ID_CTRL, CTRL_CMD_NEWFAMILY);
        answer.attribute(CTRL_ATTR_FAMILY_NAME, "nl80211");
        answer.attribute(CTRL_ATTR_FAMILY_ID, bytesOf(quint16(0x1c)));
        QCOMPARE(nl80211::parseFamilyId(payloadOf(answer)), quint16(0x1c));
        netlink::Builder nameless = genericMessage(GENL_ID_CTRL, CTRL_CMD_NEWFAMILY);
        nameless.attribute(CTRL_ATTR_FAMILY_NAME, "nl80211");
        QCOMPARE(nl80211::parseFamilyId(payloadOf(nameless)), std::nullopt);
        netlink::Builder shortId = genericMessage(GENL_ID_CTRL, CTRL_CMD_NEWFAMILY);
        shortId.attribute(CTRL_ATTR_FAMILY_ID, bytesOf(quint8(0x1c)));
        QCOMPARE(nl80211::parseFamilyId(payloadOf(shortId)), std::nullopt);
    }

    // /proc/net/route.

    void routesInTheKernelFormat() {
        const QByteArray text = routeText({"eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0",
                                           "eth0\t000200C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0"});
        const auto routes = routes::parse(text);
        QCOMPARE(routes.size(), 2u);
        QCOMPARE(routes[0], (routes::Route{u"eth0"_s, 0, 0xC0000201, 0x3, 100, 0}));
        QCOMPARE(routes[1], (routes::Route{u"eth0"_s, 0xC0000200, 0, 0x1, 100, 0xFFFFFF00}));
        QCOMPARE(routes::defaultRoute(routes)->iface, u"eth0"_s);
    }

    void defaultRouteWithTheLowestMetric() {
        const auto routes = routes::parse(routeText({
            "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0",
            "down0\t00000000\t0101A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0",
            "*\t00000000\t00000000\t0201\t0\t0\t1\t00000000\t0\t0\t0",
            "net0\t0000000A\t00000000\t0001\t0\t0\t5\t000000FF\t0\t0\t0",
            "host0\t00000000\t00000000\t0001\t0\t0\t3\t0000FFFF\t0\t0\t0",
            "enp3s0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0",
            "usb0\t00000000\t012BA8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0",
        }));
        QCOMPARE(routes.size(), 7u);
        const auto best = routes::defaultRoute(routes);
        QVERIFY(best);
        QCOMPARE(best->iface, u"enp3s0"_s);
        QCOMPARE(best->gateway, 0x0A000001u);
    }

    void routesHeaderOnly() {
        QVERIFY(routes::parse(routeText({})).empty());
        QCOMPARE(routes::defaultRoute(routes::parse(routeText({}))), std::nullopt);
        QVERIFY(routes::parse("").empty());
    }

    void routesSkipGarbageAndShortLines() {
        const auto routes = routes::parse(routeText({
            "",
            "eth0",
            "eth0\t00000000\t010200C0\t0003\t0\t0\t0",
            "eth0\t0000000G\t010200C0\t0003\t0\t0\t0\t00000000",
            "eth0\t0000000\t010200C0\t0003\t0\t0\t0\t00000000",
            "eth0\t00000000\t010200C0\t0003\t0\t0\tten\t00000000",
            "eth0\t00000000\t010200C0\t-003\t0\t0\t0\t00000000",
            "eth0\t00000000\t010200C0\t0003\t0\t0\t99999999999\t00000000",
            QByteArray("\x01\xff\t\x00\n\t", 6),
            "wwan0\t00000000\t00000000\t0001\t0\t0\t50\t00000000",
        }));
        QCOMPARE(routes.size(), 1u);
        QCOMPARE(routes[0].iface, u"wwan0"_s);
        QCOMPARE(routes[0].metric, 50u);
    }

    void routesWithLargeMetricsAndNoFinalNewline() {
        const auto routes = routes::parse("tun0\t00000000\t00000000\t0001\t0\t0\t-1\t00000000\t0\t0\t0\r\n"
                                          "eth0\t00000000\t0101A8C0\t0003\t0\t0\t2147483647\t00000000");
        QCOMPARE(routes.size(), 2u);
        QCOMPARE(routes[0].metric, 4294967295u);
        QCOMPARE(routes[1].metric, 2147483647u);
        QCOMPARE(routes::defaultRoute(routes)->iface, u"eth0"_s);
    }

    // Choosing the primary interface.

    void primaryChoice_data() {
        QTest::addColumn<QStringList>("wireless"); // name=ssid, or name alone without one
        QTest::addColumn<QString>("route");
        QTest::addColumn<QStringList>("addressed");
        QTest::addColumn<QStringList>("counted");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<bool>("isWireless");
        QTest::addColumn<QString>("ssid"); // empty for none

        QTest::newRow("wifi with an address beats the default route")
            << QStringList{u"wlan0=Home"_s} << u"eth0"_s << QStringList{u"eth0"_s, u"wlan0"_s}
            << QStringList{u"eth0"_s, u"wlan0"_s} << u"wlan0"_s << true << u"Home"_s;
        QTest::newRow("first wifi that has an address")
            << QStringList{u"wlan0=A"_s, u"wlan1=B"_s, u"wlan2=C"_s} << QString() << QStringList{u"wlan2"_s, u"wlan1"_s}
            << QStringList{} << u"wlan1"_s << true << u"B"_s;
        QTest::newRow("default route when wifi has no address")
            << QStringList{u"wlan0=A"_s} << u"enp3s0"_s << QStringList{u"enp3s0"_s} << QStringList{u"enp3s0"_s}
            << u"enp3s0"_s << false << QString();
        QTest::newRow("default route through a tunnel")
            << QStringList{} << u"tun0"_s << QStringList{u"tun0"_s, u"eth0"_s} << QStringList{u"eth0"_s, u"tun0"_s}
            << u"tun0"_s << false << QString();
        QTest::newRow("default route through unaddressed wifi")
            << QStringList{u"wlan0"_s, u"wlan1=Cafe"_s} << u"wlan1"_s << QStringList{} << QStringList{} << u"wlan1"_s
            << true << u"Cafe"_s;
        QTest::newRow("first wifi without route or address")
            << QStringList{u"wlan3"_s, u"wlan1=B"_s} << QString() << QStringList{u"eth0"_s} << QStringList{u"eth0"_s}
            << u"wlan3"_s << true << QString();
        QTest::newRow("first measured interface")
            << QStringList{} << QString() << QStringList{u"lo"_s}
            << QStringList{u"lo"_s, u"docker0"_s, u"eth1"_s, u"enp3s0"_s, u"veth1"_s} << u"enp3s0"_s << false
            << QString();
        QTest::newRow("nothing measured")
            << QStringList{} << QString() << QStringList{u"lo"_s} << QStringList{u"lo"_s, u"tun0"_s, u"br0"_s}
            << QString() << false << QString();
        QTest::newRow("nothing at all") << QStringList{} << QString() << QStringList{} << QStringList{} << QString()
                                        << false << QString();
    }

    void primaryChoice() {
        QFETCH(QStringList, wireless);
        QFETCH(QString, route);
        QFETCH(QStringList, addressed);
        QFETCH(QStringList, counted);
        QFETCH(QString, primary);
        QFETCH(bool, isWireless);
        QFETCH(QString, ssid);

        std::vector<nl80211::WirelessInterface> wifi;
        for (const QString& entry : wireless) {
            nl80211::WirelessInterface w;
            w.name = entry.section(u'=', 0, 0);
            if (entry.contains(u'='))
                w.ssid = entry.section(u'=', 1);
            wifi.push_back(w);
        }
        Interfaces current;
        for (const QString& name : counted)
            current.bytes.insert(name, Counters{1, 2});
        for (const QString& name : addressed)
            current.ipv4.insert(name, u"10.1.1.1"_s);

        const Link link = choosePrimary(wifi, route, current);
        QCOMPARE(link.primary, primary);
        QCOMPARE(link.wireless, isWireless);
        QCOMPARE(link.ssid, ssid.isEmpty() ? std::nullopt : std::optional<QString>(ssid));
    }

    // The real kernel.

    void socketReportsKernelErrorsAndRecovers() {
        netlink::Socket socket(NETLINK_ROUTE);
        netlink::Builder missing(RTM_GETLINK, NLM_F_REQUEST);
        ifinfomsg header{};
        header.ifi_index = 0x7ffffff0;
        missing.append(header);
        int answers = 0;
        QCOMPARE(socket.exchange(missing, [&answers](const netlink::Message&) { ++answers; }), ENODEV);
        QCOMPARE(answers, 0);

        // The failure closed the socket; the next exchange opens a fresh one.
        header.ifi_index = 1;
        netlink::Builder loopback(RTM_GETLINK, NLM_F_REQUEST);
        loopback.append(header);
        std::optional<rtnetlink::LinkInfo> link;
        QCOMPARE(
            socket.exchange(loopback, [&link](const netlink::Message& m) { link = rtnetlink::parseLink(m.payload); }),
            0);
        QVERIFY(link);
        QCOMPARE(link->name, u"lo"_s);
        QVERIFY(link->bytes);

        netlink::Socket generic(NETLINK_GENERIC);
        const auto lookup = [](quint16 flags) {
            netlink::Builder b(GENL_ID_CTRL, flags);
            genlmsghdr command{};
            command.cmd = CTRL_CMD_GETFAMILY;
            command.version = 1;
            b.append(command);
            b.attribute(CTRL_ATTR_FAMILY_NAME, "tarnwick-none");
            return b;
        };
        // Without NLM_F_REQUEST the kernel never answers: the wait must end on its own, and soon.
        netlink::Builder unanswered = lookup(0);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(generic.exchange(unanswered, [](const netlink::Message&) {}), ETIMEDOUT);
        QCOMPARE_LT(clock.elapsed(), 1000);
        netlink::Builder unknown = lookup(NLM_F_REQUEST);
        QCOMPARE(generic.exchange(unknown, [](const netlink::Message&) {}), ENOENT);
    }

    void loopbackOnThisMachine() {
        const auto net = systemNetwork();
        const Interfaces before = net->interfaces();
        QVERIFY(before.bytes.contains(u"lo"_s));
        QCOMPARE(before.ipv4.value(u"lo"_s), u"127.0.0.1"_s);
        QCOMPARE(before.counterBits, 64);

        sendToLoopback(30, 700);
        const Interfaces after = net->interfaces();
        const Counters grown = after.bytes.value(u"lo"_s);
        QVERIFY2(grown.in >= before.bytes[u"lo"_s].in + 30 * 700, "loopback counted the datagrams received");
        QVERIFY2(grown.out >= before.bytes[u"lo"_s].out + 30 * 700, "loopback counted the datagrams sent");

        if (!inInitialNamespace())
            QSKIP("not in the initial network namespace, so /sys would show another one");
        QFile rx(u"/sys/class/net/lo/statistics/rx_bytes"_s);
        QFile tx(u"/sys/class/net/lo/statistics/tx_bytes"_s);
        const Counters first = net->interfaces().bytes.value(u"lo"_s);
        QVERIFY(rx.open(QIODevice::ReadOnly) && tx.open(QIODevice::ReadOnly));
        const quint64 sysIn = readNumber(QString::fromLatin1(rx.readAll()));
        const quint64 sysOut = readNumber(QString::fromLatin1(tx.readAll()));
        const Counters last = net->interfaces().bytes.value(u"lo"_s);
        // Other programs may use loopback meanwhile, so the kernel's file lies between two readings.
        QVERIFY(first.in <= sysIn && sysIn <= last.in);
        QVERIFY(first.out <= sysOut && sysOut <= last.out);
    }

    void linkOnThisMachine() {
        if (!nl80211::Client().interfaces().empty())
            QSKIP("this machine has Wi-Fi; the check below assumes none");
        const auto net = systemNetwork();
        const Interfaces current = net->interfaces();
        QVERIFY(!current.bytes.isEmpty());
        routes::SystemTable table;
        const auto route = routes::defaultRoute(table.read());
        for (int i = 0; i < 3; ++i) {
            const Link link = net->link(current);
            QVERIFY(!link.wireless);
            QCOMPARE(link.ssid, std::nullopt);
            if (route)
                QCOMPARE(link.primary, route->iface);
            else
                QVERIFY(link.primary.isEmpty() || isMeasured(link.primary));
        }
    }

    void insideANamespace() {
        QString why;
        const auto pair = VethPair::create(u"eth7"_s, u"172.20.10.2/28"_s, u"172.20.10.1/28"_s, &why);
        if (!pair)
            QSKIP(qPrintable(why));
        // Made outside, first used inside: the sockets must open in the namespace of the first reading.
        const auto early = systemNetwork();
        pair->enterA();
        const auto net = systemNetwork();
        checkInside(*pair, *early, *net);
        pair->leave();
        if (QTest::currentTestFailed())
            return;
        // Back home, both still read the namespace their sockets were opened in.
        QCOMPARE(net->interfaces().bytes.keys(), (QStringList{u"eth7"_s, u"lo"_s}));
        QCOMPARE(early->interfaces().bytes.keys(), (QStringList{u"eth7"_s, u"lo"_s}));
    }

private:
    void checkInside(VethPair& pair, Network& early, Network& net) {
        const Interfaces first = net.interfaces();
        QCOMPARE(first.bytes.keys(), (QStringList{u"eth7"_s, u"lo"_s}));
        QCOMPARE(first.ipv4.value(u"eth7"_s), u"172.20.10.2"_s);
        QCOMPARE(first.ipv4.value(u"lo"_s), u"127.0.0.1"_s);
        QCOMPARE(early.interfaces().bytes.keys(), first.bytes.keys());

        pair.exchange(25, 900);
        const Counters grown = net.interfaces().bytes.value(u"eth7"_s);
        QVERIFY(grown.in >= first.bytes[u"eth7"_s].in + 25 * 900);
        QVERIFY(grown.out >= first.bytes[u"eth7"_s].out + 25 * 900);
        const quint64 sysIn = readNumber(pair.inA(u"cat /sys/class/net/eth7/statistics/rx_bytes"_s));
        const quint64 sysOut = readNumber(pair.inA(u"cat /sys/class/net/eth7/statistics/tx_bytes"_s));
        const Counters later = net.interfaces().bytes.value(u"eth7"_s);
        QVERIFY(grown.in <= sysIn && sysIn <= later.in);
        QVERIFY(grown.out <= sysOut && sysOut <= later.out);
        // Nothing else uses the link, so the readings agree with the kernel's files exactly.
        QCOMPARE(later, (Counters{sysIn, sysOut}));

        const Interfaces current = net.interfaces();
        Link link = net.link(current);
        QCOMPARE(link.primary, u"eth7"_s);
        QVERIFY(!link.wireless);
        QCOMPARE(link.ssid, std::nullopt);

        routes::SystemTable table;
        QCOMPARE(routes::defaultRoute(table.read()), std::nullopt);
        pair.inA(u"ip route add default via 172.20.10.1"_s);
        const auto route = routes::defaultRoute(table.read());
        QVERIFY(route);
        QCOMPARE(route->iface, u"eth7"_s);
        QCOMPARE(route->gateway, 0xAC140A01u);
        link = net.link(current);
        QCOMPARE(link.primary, u"eth7"_s);
        QVERIFY(!link.wireless);
        QCOMPARE(link.ssid, std::nullopt);

        // A default route through an interface that is not measured shows the route outranks the fallback.
        pair.inA(u"ip route replace default dev lo"_s);
        QCOMPARE(net.link(current).primary, u"lo"_s);
    }
};

QTEST_GUILESS_MAIN(TestLinuxNetwork)
#include "tst_linux_network.moc"
