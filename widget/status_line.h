#pragma once

#include "common/snapshot.h"

#include <QByteArray>
#include <optional>

// One line of JSON for status bars (waybar, polybar scripts): "text" with the rates and the first host's
// ping, "tooltip" with every host, "class" after the first host's ping colour ("green", "orange", "red"; "none"
// without hosts, "off" without a snapshot, "stale" for a snapshot over 2 minutes old, whose age the text then
// ends with). Names from the file show their control characters as escapes, and texts are escaped for Pango
// markup, which waybar applies.
QByteArray statusLine(const std::optional<Snapshot>& snap, Timestamp now);
