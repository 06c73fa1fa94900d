#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The name server in use, from the resolver configuration files.
namespace platform::resolv {

// The addresses of the well-formed "nameserver" lines, in order; comments and other lines are skipped.
QStringList nameservers(QByteArrayView text);

// Whether `address` is a resolver on this machine (127.0.0.0/8 or ::1): systemd-resolved's stubs,
// NetworkManager's dnsmasq, a local unbound or dnsmasq.
bool isLocal(const QString& address);

// Where the lists are.
struct Files {
    QString resolvConf = QStringLiteral("/etc/resolv.conf");
    // NetworkManager's list of the servers behind its own stub.
    QString networkManager = QStringLiteral("/run/NetworkManager/no-stub-resolv.conf");
    // systemd-resolved's list of the servers it forwards to.
    QString resolved = QStringLiteral("/run/systemd/resolve/resolv.conf");
};

// The first name server of the resolver file. When that is a local resolver, the server behind it: what
// `upstream` says (systemd-resolved's current server), else the first server of NetworkManager's list, else of
// resolved's list, else the local resolver itself.
std::optional<QString> nameserver(const std::function<std::optional<QString>()>& upstream, const Files& files = {});

} // namespace platform::resolv
