#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// The resolver configuration file.
namespace platform::resolv {

// The address of the first well-formed "nameserver" line; comments and other lines are skipped.
std::optional<QString> firstNameserver(QByteArrayView text);

// The first name server of `path`; when that is systemd-resolved's local stub, the first one of
// `upstreamPath`, where resolved lists the servers it forwards to.
std::optional<QString> nameserver(const QString& path = QStringLiteral("/etc/resolv.conf"),
                                  const QString& upstreamPath = QStringLiteral("/run/systemd/resolve/resolv.conf"));

} // namespace platform::resolv
