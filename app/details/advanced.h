#pragma once

#include "common/timestamp.h"
#include "platform/platform.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

class Clock;
class QNetworkAccessManager;

// One row of the details: label and value.
struct KV {
    QString k;
    QString v;

    bool operator==(const KV&) const = default;
};

// Traffic of one interface or process, in bytes per second.
struct Flow {
    QString name;
    double down = 0;
    double up = 0;

    bool operator==(const Flow&) const = default;
};

// Collects what the advanced view shows. It works only when fed, and it is fed only while that view is
// on screen.
class Advanced final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Advanced)

public:
    // The public-IP service: plain text, the caller's address.
    static const QUrl publicIPService;

    // What the collector reads the world through; empty members take the system's.
    struct Deps {
        std::unique_ptr<platform::Details> source;
        QUrl publicIPUrl;
        std::chrono::milliseconds publicIPTimeout{10000};
    };

    explicit Advanced(const Clock& clock, QObject* parent = nullptr);
    Advanced(const Clock& clock, Deps deps, QObject* parent = nullptr);
    ~Advanced() override;

    // Wi-Fi link rows, in their fixed order. Empty, as the address rows, until the first link reading is in.
    const QList<KV>& wifi() const { return wifi_; }
    // One row per interface address: k = "name address", v = the address.
    const QList<KV>& addrs() const { return addrs_; }
    // "Router" and "DNS".
    const QList<KV>& net() const { return net_; }
    // Rates of every interface with an IPv4 address or a listed IPv6 one, loopback aside, by name.
    const QList<Flow>& ifaces() const { return ifaces_; }
    // The five processes that moved the most data since the previous sample.
    const QList<Flow>& procs() const { return procs_; }
    const QMap<QString, QString>& hwMAC() const { return hwMAC_; }
    const QMap<QString, QString>& curMAC() const { return curMAC_; }
    // Device → hardware port name.
    const QMap<QString, QString>& ifType() const { return ifType_; }
    // "…" while a lookup runs, then the body of a successful answer as received, or "błąd".
    const std::optional<QString>& publicIP() const { return publicIP_; }
    // The exit node in force when the last lookup started.
    const std::optional<QString>& publicIPExit() const { return publicIPExit_; }
    // Always false here: reading the Wi-Fi name needs no permission on this system.
    bool needsLocation() const { return needsLocation_; }
    // Tunnel device → the VPN program that runs it (empty when none is known), as of the last slow reading.
    const QMap<QString, QString>& tunnels() const { return tunnels_; }

    // Called by each refresh with that refresh's interface reading.
    void update(const platform::Interfaces& now);
    // Nothing to ask for on this system.
    void askLocation();
    // Looks the public address up; `exit` is the exit node in use now.
    void fetchPublicIP(const std::optional<QString>& exit);

    // Whether a process sample or a link reading (Wi-Fi link and addresses) is running; for callers that wait.
    bool procBusy() const { return procBusy_; }
    bool linkBusy() const { return linkBusy_; }
    // Completed process samples so far.
    int samples() const { return samples_; }
    // Completed slow readings so far.
    int slowReadings() const { return slowReadings_; }

signals:
    void changed();

private:
    struct LinkReading {
        std::optional<platform::WifiLink> wifi;
        QList<platform::Address> addresses;
    };

    // Recomputes the Wi-Fi rows from the last link reading; true when they changed.
    bool wifiRows();
    void linkUpdate();
    void linkDone(const LinkReading& reading);
    void procsUpdate();
    void procsDone(const QByteArray& sample);
    void slowUpdate();
    void slowDone(const platform::SlowFacts& facts);

    const Clock& clock_;
    std::shared_ptr<platform::Details> source_;
    QUrl publicIPUrl_;
    std::chrono::milliseconds publicIPTimeout_;
    QNetworkAccessManager* http_ = nullptr;

    QList<KV> wifi_;
    QList<KV> addrs_;
    QList<KV> net_;
    QList<Flow> ifaces_;
    QList<Flow> procs_;
    QMap<QString, QString> hwMAC_;
    QMap<QString, QString> curMAC_;
    QMap<QString, QString> ifType_;
    std::optional<QString> publicIP_;
    std::optional<QString> publicIPExit_;
    bool needsLocation_ = false;
    QMap<QString, QString> tunnels_;
    QMap<QString, platform::AccessPoint> accessPoints_;
    std::optional<platform::WifiLink> link_;
    bool linkRead_ = false;
    QStringList addressed_; // interfaces with an address, as of the last link reading
    bool hotspot_ = false;

    QMap<QString, platform::Counters> lastIf_;
    std::optional<Timestamp> lastIfTime_;
    QMap<QString, platform::Counters> lastProc_;
    std::optional<Timestamp> lastProcTime_;
    std::optional<Timestamp> slowAt_;
    bool procBusy_ = false;
    bool slowBusy_ = false;
    bool linkBusy_ = false;
    int samples_ = 0;
    int slowReadings_ = 0;

    // The readings wait on the kernel, at times for seconds; a pool of their own keeps them from starving each
    // other or the rest of the program. Last, so that it is destroyed first and waits for them.
    QThreadPool pool_;
};
