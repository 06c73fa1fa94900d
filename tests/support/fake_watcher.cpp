#include "support/fake_watcher.h"

namespace {
const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString connectionName = QStringLiteral("test-status-notifier-watcher");
} // namespace

FakeWatcher::FakeWatcher(const QString& bus)
    : connection_(QDBusConnection::connectToBus(bus, connectionName)) {
    connection_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                   QDBusConnection::ExportAllProperties);
}

FakeWatcher::~FakeWatcher() {
    stop();
    QDBusConnection::disconnectFromBus(connectionName);
}

bool FakeWatcher::start() {
    items_.clear();
    return connection_.registerService(name);
}

void FakeWatcher::stop() {
    connection_.unregisterService(name);
}

void FakeWatcher::RegisterStatusNotifierItem(const QString& service) {
    items_.append(service);
    emit StatusNotifierItemRegistered(service);
}
