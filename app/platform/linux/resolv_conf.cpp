#include "platform/linux/resolv_conf.h"

#include <QFile>
#include <QHostAddress>

namespace platform::resolv {

namespace {

// A resolver file is a few hundred bytes; anything past this is not one.
constexpr qint64 sizeLimit = 64 * 1024;

std::optional<QString> fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return firstNameserver(file.read(sizeLimit));
}

} // namespace

std::optional<QString> firstNameserver(QByteArrayView text) {
    for (const QByteArray& line : text.toByteArray().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2 || words[0] != "nameserver")
            continue;
        // A scope suffix ("fe80::1%eth0") is shown but not part of the address.
        const QByteArray address = words[1].left(words[1].indexOf('%'));
        if (!QHostAddress(QString::fromLatin1(address.isEmpty() ? words[1] : address)).isNull())
            return QString::fromLatin1(words[1]);
    }
    return std::nullopt;
}

std::optional<QString> nameserver(const QString& path, const QString& upstreamPath) {
    const auto first = fromFile(path);
    if (first && *first == QStringLiteral("127.0.0.53")) {
        if (const auto upstream = fromFile(upstreamPath))
            return upstream;
    }
    return first;
}

} // namespace platform::resolv
