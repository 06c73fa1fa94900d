#pragma once

#include <QString>

class Monitor;

// The monitor's current figures in the Prometheus text format, for node_exporter's textfile collector: per
// host the round-trip time, whether it is up, the loss of the last minute and its outages; the interfaces'
// byte totals and rates; the hotspot totals.
QString metricsText(const Monitor& m);

// Replaces `file` with `text` in one step, so that a collector never reads half a file. False on failure.
bool writeMetrics(const QString& file, const QString& text);
