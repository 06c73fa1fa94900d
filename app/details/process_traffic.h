#pragma once

#include "common/timestamp.h"
#include "details/advanced.h"
#include "platform/platform.h"

#include <QList>
#include <QMap>

// Cumulative bytes (in, out) per process key "name.pid".
using ProcessSample = QMap<QString, platform::Counters>;

// Reads the comma-separated sample: a header line, then "key,bytes in,bytes out" lines; malformed lines
// are skipped one by one.
ProcessSample parseSample(QStringView text);

// The process name of a key: "WebKit.Networking.1234" → "WebKit.Networking"; a key without a "." stays whole.
QString displayName(QStringView key);

// The five processes that moved the most between two samples `dt` apart, largest first. Processes found
// in only one sample, or whose counts went down, are left out.
QList<Flow> processFlows(const ProcessSample& before, const ProcessSample& now, Seconds dt);

// Rates of the `addressed` interfaces (sorted by name; loopback aside) between two counter readings `dt` apart;
// `bits` is the width of the counters.
QList<Flow> interfaceFlows(const QMap<QString, platform::Counters>& before,
                           const QMap<QString, platform::Counters>& now, int bits, const QStringList& addressed,
                           Seconds dt);
