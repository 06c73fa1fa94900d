#include "platform/linux/resolv_conf.h"

#include "common/untrusted_file.h"

#include <QHostAddress>

namespace platform::resolv {

namespace {

// A resolver file is a few hundred bytes; anything past this is not one.
constexpr qint64 sizeLimit = 64 * 1024;

QStringList fromFile(const QString& path) {
    const UntrustedFile file = readUntrusted(path, sizeLimit);
    if (file.status != UntrustedFile::Status::Read)
        return {};
    return nameservers(file.bytes);
}

std::optional<QString> firstRemote(const QString& path) {
    for (const QString& address : fromFile(path)) {
        if (!isLocal(address))
            return address;
    }
    return std::nullopt;
}

} // namespace

QStringList nameservers(QByteArrayView text) {
    QStringList found;
    for (const QByteArray& line : text.toByteArray().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2 || words[0] != "nameserver")
            continue;
        // A scope suffix ("fe80::1%eth0") is shown but not part of the address.
        const QByteArray address = words[1].left(words[1].indexOf('%'));
        if (!QHostAddress(QString::fromLatin1(address.isEmpty() ? words[1] : address)).isNull())
            found.append(QString::fromLatin1(words[1]));
    }
    return found;
}

bool isLocal(const QString& address) {
    return QHostAddress(address).isLoopback();
}

std::optional<QString> nameserver(const std::function<std::optional<QString>()>& upstream, const Files& files) {
    const QStringList listed = fromFile(files.resolvConf);
    if (listed.isEmpty())
        return std::nullopt;
    const QString& first = listed.first();
    if (!isLocal(first))
        return first;
    if (auto server = upstream(); server && !isLocal(*server))
        return server;
    if (auto server = firstRemote(files.networkManager))
        return server;
    if (auto server = firstRemote(files.resolved))
        return server;
    return first;
}

} // namespace platform::resolv
