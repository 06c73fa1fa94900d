#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QObject;

// What the rest of the program asks of the operating system. Each OS has its own folder beside this
// header; nothing outside those folders includes OS headers.
namespace platform {

// Received and sent bytes of one interface since it came up.
struct Counters {
    quint64 in = 0;
    quint64 out = 0;

    bool operator==(const Counters&) const = default;
};

// One pass over the interface list: the counters of every interface and the IPv4 address of each one
// that has an address (the last one listed when it has several).
struct Interfaces {
    QMap<QString, Counters> bytes;
    QMap<QString, QString> ipv4;
    // Width of the source's counters. A 32-bit counter wraps, so its decrease is a wrap; a 64-bit one
    // never wraps, so its decrease means the interface was reset.
    int counterBits = 64;
};

// The connection that stands for the machine's own network.
struct Link {
    QString primary;             // its interface; empty when the machine has none
    bool wireless = false;       // the primary interface is a Wi-Fi interface
    std::optional<QString> ssid; // the Wi-Fi network name, when associated
};

// The system's interface facts, read on every refresh.
class Network {
public:
    virtual ~Network() = default;
    virtual Interfaces interfaces() = 0;
    // `current` is the reading of the same refresh.
    virtual Link link(const Interfaces& current) = 0;
};

std::unique_ptr<Network> systemNetwork();

// Interfaces whose traffic is the machine's own: Ethernet, Wi-Fi and mobile broadband, never loopback,
// tunnels, bridges or container links.
bool isMeasured(QStringView name);

// An external tool: absolute path, the arguments that precede the caller's, and variables added to
// the inherited environment.
struct Tool {
    QString path;
    QStringList arguments;
    QMap<QString, QString> environment;
};

// One echo request with a one-second reply wait; the host is appended to the arguments.
Tool pingTool();

// The Tailscale command-line program; it prints its status as JSON.
QString tailscalePath();

// The program's own data folder (hotspot totals).
QString dataDirectory();

// Starting the program at login. `enable` and `disable` return the error text on failure.
namespace login {
bool enabled();
std::optional<QString> enable();
std::optional<QString> disable();
} // namespace login

// A desktop notification; shown only when the notification service answers.
struct Notification {
    QString id;
    QString title;
    QString body;
};
void notify(const Notification& n);

// Calls `handler` on the main thread when the process is asked to end (interrupt, termination,
// hang-up). Lives as long as `context`. From then on a write to a closed pipe fails instead of ending
// the process, so the handler's caller can still save its state.
void onTermination(QObject* context, std::function<void()> handler);

} // namespace platform
