#include "platform/platform.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QHash>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, service, method);
}

// Server ids of the notifications shown so far, by our id, so that a repeat replaces its predecessor.
QHash<QString, uint>& shown() {
    static QHash<QString, uint> ids;
    return ids;
}

template <typename F> void whenAnswered(const QDBusPendingCall& pending, F then) {
    auto* watcher = new QDBusPendingCallWatcher(pending, QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [then](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!w->isError())
            then(*w);
    });
}

void post(const Notification& n) {
    QDBusMessage m = call(u"Notify"_s);
    const QVariantMap hints{
        {u"desktop-entry"_s, u"tarnwick"_s}, {u"x-tarnwick-id"_s, n.id}, {u"urgency"_s, QVariant::fromValue(uchar(1))}};
    m << u"Tarnwick"_s << shown().value(n.id) << u"tarnwick"_s << n.title << n.body << QStringList() << hints
      << qint32(-1);
    whenAnswered(QDBusConnection::sessionBus().asyncCall(m), [id = n.id](const QDBusPendingCall& reply) {
        const QDBusPendingReply<uint> r = reply;
        shown().insert(id, r.value());
    });
}

} // namespace

void notify(const Notification& n) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // A notification service that answers is the desktop's permission to show one.
    whenAnswered(bus.asyncCall(call(u"GetCapabilities"_s)), [n](const QDBusPendingCall&) { post(n); });
}

} // namespace platform
