#pragma once

#include "details/advanced.h"
#include "details/tailnet.h"

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

class Monitor;

// One shown row: label, value and, for classified rows, a symbol name.
struct DetailRow {
    QString k;
    QString v;
    std::optional<QString> symbol;

    bool operator==(const DetailRow&) const = default;
};

// A titled section; `empty` says why in place of rows while there are none.
struct DetailCard {
    QString title;
    QList<DetailRow> rows;
    std::optional<QString> empty;
};

// The public-IP line when it shows a result: the text with its exit-node suffix, and what copying takes.
struct PublicIPResult {
    QString text;
    QString copy;

    bool operator==(const PublicIPResult&) const = default;
};

// Everything the details are drawn from, copied out of the models.
struct DetailFacts {
    QList<KV> wifi;
    QList<KV> addrs;
    QList<KV> net;
    QList<Flow> ifaces;
    QList<Flow> procs;
    QMap<QString, QString> hwMAC;
    QMap<QString, QString> curMAC;
    QMap<QString, QString> ifType;
    std::optional<QString> publicIP;
    std::optional<QString> publicIPExit;
    bool needsLocation = false;
    QMap<QString, QString> tunnels;
    double peakDown = 0;
    double peakUp = 0;
    std::optional<Tailnet> tailnet;
};

DetailFacts detailFacts(const Advanced& a, const Monitor& m);

// "↓ 1.2 MB/s  ↑ 35 KB/s".
QString flowText(const Flow& f);

// The rows of each card, in order.
QList<DetailRow> interfaceRows(const DetailFacts& f);
QList<DetailRow> peakRows(const DetailFacts& f);
QList<DetailRow> processRows(const DetailFacts& f);
QList<DetailRow> wifiRows(const DetailFacts& f);
// Router and DNS, Tailscale and exit node, MAC addresses, then every address.
QList<DetailRow> addressRows(const DetailFacts& f);

// The exit node in use now; absent without a Tailscale status or without an exit node.
std::optional<QString> currentExit(const DetailFacts& f);
// The public-IP result to show, or absent when the "Sprawdź" button belongs there instead.
std::optional<PublicIPResult> publicIPResult(const DetailFacts& f);

// The five cards: "Interfejsy", "Szczyt (5 min)", "Procesy", "Wi-Fi", "Adresy".
QList<DetailCard> detailCards(const DetailFacts& f);
