#include "support/session_bus.h"

#include <QDBusConnectionInterface>

namespace {
const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString connectionName = QStringLiteral("test-notification-service");
} // namespace

SessionBus::SessionBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=" TARNWICK_TEST_BUS_CONFIG), QStringLiteral("--nofork"),
                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000))
        return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

SessionBus::~SessionBus() {
    daemon_.terminate();
    daemon_.waitForFinished(3000);
}

NotificationService::NotificationService(const QString& bus)
    : connection_(QDBusConnection::connectToBus(bus, connectionName)) {
    ok_ = connection_.isConnected() &&
          connection_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots) &&
          connection_.registerService(serviceName);
}

NotificationService::~NotificationService() {
    connection_.unregisterService(serviceName);
    QDBusConnection::disconnectFromBus(connectionName);
}

QStringList NotificationService::GetCapabilities() {
    return {QStringLiteral("body")};
}

uint NotificationService::Notify(const QString& app, uint replaces, const QString&, const QString& summary,
                                 const QString& body, const QStringList&, const QVariantMap& hints, int) {
    shown_.append({app, replaces, summary, body, hints});
    return uint(shown_.size());
}
