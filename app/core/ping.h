#pragma once

#include "platform/platform.h"

#include <QString>
#include <functional>
#include <optional>

class QObject;

// Sends one echo request and hands over the round-trip time in milliseconds, or absent when nothing answered.
using Pinger =
    std::function<void(const QString& host, QObject* context, std::function<void(std::optional<double>)> done)>;

// How this process pings.
struct PingMethod {
    QString name; // for the readout
    Pinger pinger;
};

// Chosen when called: the process's own echo sockets where the system allows them, else the tool.
PingMethod systemPing();

// Sends one echo request to `host` and hands the round-trip time in milliseconds to `done`, or absent when
// nothing answered. A host the tool would misread (an option, white space, control characters) is never
// handed to it and counts as unanswered.
void ping(const QString& host, QObject* context, std::function<void(std::optional<double>)> done,
          const platform::Tool& tool = platform::pingTool());

// The round-trip time of the tool's first "time=" figure.
std::optional<double> pingTime(const QString& output);

// Whether `host` can be passed to the tool as a plain host argument.
bool isSafeHost(const QString& host);
