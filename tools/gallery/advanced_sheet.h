#pragma once

#include "views/detail_rows.h"

#include <QWidget>
#include <memory>

// Collected details at their edge cases, for the gallery and the view tests.
// Tailscale running with traffic leaving through `exit`: directly from `addr` ("address:port"), or through
// a DERP relay when `addr` is empty.
Tailnet exitVia(const QString& exit, const QString& addr);
// A laptop on Wi-Fi with a private MAC, Tailscale through an exit node via a DERP relay and a public
// address looked up through it.
DetailFacts laptopFacts();
// Values longer than any row: a long IPv6 address, a long process and network name, an error page as the
// public address, a USB adapter with a private MAC.
DetailFacts longFacts();
// No Wi-Fi, the permission missing, and a public address looked up through an exit node no longer in use.
DetailFacts staleFacts();

// The advanced view's cards for `facts`, as wide as the panel's content, with the panel's margins.
std::unique_ptr<QWidget> advancedSheet(const DetailFacts& facts);
