#include "platform/linux/resolved.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QHostAddress>
#include <QtEndian>

#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace platform::resolved {

namespace {

const QString service = u"org.freedesktop.resolve1"_s;
const QString managerPath = u"/org/freedesktop/resolve1"_s;
const QString managerInterface = u"org.freedesktop.resolve1.Manager"_s;
constexpr int waitMs = 1000;

std::optional<QVariant> answer(const QDBusConnection& bus, const QDBusMessage& call) {
    const QDBusMessage reply = bus.call(call, QDBus::Block, waitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().first();
}

// Asking a name that nobody owns would have the bus start resolved.
bool running(const QDBusConnection& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                       u"org.freedesktop.DBus"_s, u"NameHasOwner"_s);
    call << service;
    const auto owned = answer(bus, call);
    return owned && owned->toBool();
}

// A "CurrentDNSServer" property: (family, address bytes), after the interface index when `indexed`.
std::optional<QString> server(const QDBusConnection& bus, const QString& path, const QString& interface, bool indexed) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    call << interface << u"CurrentDNSServer"_s;
    const auto value = answer(bus, call);
    if (!value)
        return std::nullopt;
    const QVariant inner = value->value<QDBusVariant>().variant();
    if (!inner.canConvert<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = inner.value<QDBusArgument>();
    if (argument.currentSignature() != (indexed ? u"(iiay)"_s : u"(iay)"_s))
        return std::nullopt;
    int index = 0;
    int family = 0;
    QByteArray bytes;
    argument.beginStructure();
    if (indexed)
        argument >> index;
    argument >> family >> bytes;
    argument.endStructure();
    if (family == AF_INET && bytes.size() == 4)
        return QHostAddress(qFromBigEndian<quint32>(bytes.constData())).toString();
    if (family == AF_INET6 && bytes.size() == 16)
        return QHostAddress(reinterpret_cast<const quint8*>(bytes.constData())).toString();
    return std::nullopt;
}

} // namespace

std::optional<QString> currentServer(const QDBusConnection& bus, int ifindex) {
    if (!bus.isConnected() || !running(bus))
        return std::nullopt;
    if (ifindex > 0) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, managerPath, managerInterface, u"GetLink"_s);
        call << ifindex;
        if (const auto path = answer(bus, call)) {
            const QString link = path->value<QDBusObjectPath>().path();
            if (auto found = server(bus, link, u"org.freedesktop.resolve1.Link"_s, false))
                return found;
        }
    }
    return server(bus, managerPath, managerInterface, true);
}

} // namespace platform::resolved
