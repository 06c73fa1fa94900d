#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QHostAddress;
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

// Echo requests sent by this process itself over the kernel's ping sockets, so that no child process is
// started. Each request waits one second for its reply.
class Echo {
public:
    virtual ~Echo() = default;
    // Hands the round-trip time in milliseconds to `done`, or absent when no reply came in time, always
    // later from the event loop and never after `context` is gone.
    virtual void send(const QHostAddress& to, QObject* context, std::function<void(std::optional<double>)> done) = 0;
};

// Null when this process may not open ping sockets: the kernel has none, or `net.ipv4.ping_group_range`
// leaves out every group of the process (root included).
std::shared_ptr<Echo> echoSockets();

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

// Tunnel interfaces by name, for devices the system has not described: tun*, wg*, tailscale*, nordlynx,
// nordtun, proton*, CloudflareWARP, cscotun* (Cisco), gpd* (GlobalProtect), ppp*.
bool isTunnel(QStringView name);
// ZeroTier's virtual interfaces (zt*).
bool isZeroTier(QStringView name);

// Wi-Fi codes, numbered as the details' tables number them.
enum class WifiBand { Unknown = 0, GHz2_4 = 1, GHz5 = 2, GHz6 = 3 };
enum class WifiWidth { Unknown = 0, MHz20 = 1, MHz40 = 2, MHz80 = 3, MHz160 = 4 };
// Ordered by generation, so the newer of two is the larger.
enum class WifiPhy { Unknown = 0, A = 1, B = 2, G = 3, N = 4, AC = 5, AX = 6, BE = 7 };
enum class WifiSecurity {
    Open = 0,
    WEP = 1,
    WPA = 2,
    WPAMixed = 3, // WPA and WPA2 side by side
    WPA2Personal = 4,
    WPA2Enterprise = 9,
    WPA3Personal = 11,
    WPA3Enterprise = 12,
    WPA2WPA3 = 13,
    Other = -1,
};

// The Wi-Fi link as the details show it.
struct WifiLink {
    QString iface;
    std::optional<QString> ssid;
    // The system hides the name for want of location permission (never on Linux).
    bool nameWithheld = false;
    std::optional<int> rssi;  // dBm
    std::optional<int> noise; // dBm; many drivers report none
    std::optional<int> channel;
    WifiBand band = WifiBand::Unknown;
    WifiWidth width = WifiWidth::Unknown;
    double txRate = 0; // Mbit/s
    WifiPhy phy = WifiPhy::Unknown;
    std::optional<QString> bssid; // lower-case, colon-separated
    std::optional<int> mcs;
    std::optional<int> nss;
};

// What an access point says about itself in its beacons.
struct AccessPoint {
    std::optional<WifiSecurity> security; // absent when its security element is malformed
    WifiPhy phy = WifiPhy::Unknown;       // the newest standard it offers
};

// One address of one interface, in the system's order.
struct Address {
    QString iface;
    QString text; // numeric, without a scope suffix
};

// Facts that change rarely: read off the main thread.
struct SlowFacts {
    std::optional<QString> router; // the primary interface's default gateway, IPv4 before IPv6
    std::optional<QString> dns;    // the name server in use, past any local stub
    QMap<QString, QString> ports;  // device → hardware port ("Wi-Fi", "Ethernet", "USB LAN", …)
    QMap<QString, QString> hwMAC;  // device → permanent address
    QMap<QString, QString> curMAC; // device → address in use
    // The access points the Wi-Fi interfaces are associated with, by BSSID (and by MLD address).
    QMap<QString, AccessPoint> accessPoints;
    // Tunnel device → the VPN program that runs it, empty when no known program does.
    QMap<QString, QString> tunnels;
};

// Where the details come from. Every reading can wait on the kernel and is called from a worker thread, never
// two of the same at once (`wifi` and `addresses` are read together).
class Details {
public:
    virtual ~Details() = default;
    // Absent when the machine has no Wi-Fi interface.
    virtual std::optional<WifiLink> wifi() = 0;
    // Every address but loopback and link-local IPv6 ones.
    virtual QList<Address> addresses() = 0;
    virtual SlowFacts slow() = 0;
    // Cumulative TCP bytes per process: a header line, then "name.pid,bytes in,bytes out" lines.
    virtual QByteArray processSample() = 0;
};

std::unique_ptr<Details> systemDetails();

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

// Calls `handler` on the main thread when the machine has woken from sleep. Lives as long as `context`; where
// the system does not announce it, never calls.
void onWake(QObject* context, std::function<void()> handler);

// The running system as people call it ("Linux").
QString systemName();

} // namespace platform
