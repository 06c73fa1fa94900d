#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// A status notifier watcher with a host, as a desktop's tray provides, on its own connection to a test bus.
class FakeWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit FakeWatcher(const QString& bus);
    ~FakeWatcher() override;

    // Takes the watcher's name on the bus, or gives it up, as a tray does when it starts or ends.
    bool start();
    void stop();

    QStringList items() const { return items_; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QDBusConnection connection_;
    QStringList items_;
};
