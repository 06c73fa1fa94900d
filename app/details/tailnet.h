#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QObject;

// The few facts of the Tailscale status the program shows: the connection and the exit node in use.
struct Tailnet {
    QString state = QStringLiteral("?"); // "Running" when connected
    QString tailnet;
    QString host;
    QStringList selfIPs;
    std::optional<QString> exitName; // an exit node is in use when present
    std::optional<QString> exitIP;
    bool exitDirect = false; // a direct path, not a relay
    QString exitAddr;        // address:port of the direct path
    QString exitRelay;       // relay region code
    std::optional<double> exitPing;

    bool operator==(const Tailnet&) const = default;
};

// Reads `tailscale status --json`; absent unless the text is a JSON object.
std::optional<Tailnet> parseTailnet(const QByteArray& json);

// Asks the Tailscale program for its status and pings the exit node; always completes, absent on any
// failure.
void tailnetStatus(QObject* context, std::function<void(std::optional<Tailnet>)> done,
                   const QString& tool = platform::tailscalePath());
