#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QVariantMap>

// A private session bus for one test: DBUS_SESSION_BUS_ADDRESS points at it until destruction. Create it
// before anything connects to the session bus.
class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool ok() const { return !address_.isEmpty(); }
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

// A desktop notification service that records what it is asked to show.
class NotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        QString app;
        uint replaces;
        QString summary;
        QString body;
        QVariantMap hints;
    };

    // Claims the service name on its own connection to `bus`.
    explicit NotificationService(const QString& bus);
    ~NotificationService() override;

    bool ok() const { return ok_; }
    const QList<Shown>& shown() const { return shown_; }

public slots:
    QStringList GetCapabilities();
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout);

private:
    QDBusConnection connection_;
    QList<Shown> shown_;
    bool ok_ = false;
};
