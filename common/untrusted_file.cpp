#include "common/untrusted_file.h"

#include "common/printable.h"

#include <QDebug>
#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

UntrustedFile failure(int error) {
    using enum UntrustedFile::Status;
    if (error == ENOENT || error == ENOTDIR)
        return {Missing, {}, {}};
    if (error == EACCES || error == EPERM)
        return {Denied, {}, u"brak uprawnień"_s};
    return {Failed, {}, QString::fromLocal8Bit(std::strerror(error))};
}

// Neither a FIFO nor a device is opened when seen in time; the second look covers a swap in between.
std::optional<UntrustedFile> refusal(const struct stat& st, qint64 limit) {
    if (!S_ISREG(st.st_mode))
        return UntrustedFile{UntrustedFile::Status::NotRegular, {}, u"to nie jest zwykły plik"_s};
    if (st.st_size > limit)
        return UntrustedFile{UntrustedFile::Status::TooLarge, {}, u"plik jest za duży"_s};
    return std::nullopt;
}

// A descriptor of `path` open for reading, or why there is none.
std::variant<int, UntrustedFile> openRegular(const QString& path, qint64 limit) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return failure(errno);
    if (auto refused = refusal(st, limit))
        return *refused;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(errno);
    std::optional<UntrustedFile> refused = ::fstat(fd, &st) != 0 ? failure(errno) : refusal(st, limit);
    if (!refused)
        return fd;
    ::close(fd);
    return *refused;
}

UntrustedFile readAll(int fd, qint64 size, qint64 limit) {
    // Files under /proc report no size, so the size only sets the first read.
    QByteArray bytes(qMin(size, limit) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        const ssize_t got = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(errno);
        if (got == 0)
            break;
        used += got;
        if (used > limit)
            return {UntrustedFile::Status::TooLarge, {}, u"plik jest za duży"_s};
        if (used == bytes.size())
            bytes.resize(qMin<qint64>(bytes.size() * 2, limit + 1));
    }
    bytes.truncate(used);
    return {UntrustedFile::Status::Read, bytes, {}};
}

} // namespace

UntrustedFile readUntrusted(const QString& path, qint64 limit) {
    const auto opened = openRegular(path, limit);
    if (const auto* refused = std::get_if<UntrustedFile>(&opened))
        return *refused;
    const int fd = std::get<int>(opened);
    struct stat st {};
    UntrustedFile file = ::fstat(fd, &st) == 0 ? readAll(fd, st.st_size, limit) : failure(errno);
    ::close(fd);
    return file;
}

UntrustedFile probeUntrusted(const QString& path) {
    const auto opened = openRegular(path, std::numeric_limits<qint64>::max());
    if (const auto* refused = std::get_if<UntrustedFile>(&opened))
        return *refused;
    ::close(std::get<int>(opened));
    return {UntrustedFile::Status::Read, {}, {}};
}

void reportLeftAlone(const QString& path, const UntrustedFile& f) {
    // Readers on other threads (the history's) report too.
    static std::mutex lock;
    static QSet<QString> told;
    const std::lock_guard guard(lock);
    if (told.contains(path))
        return;
    told.insert(path);
    qWarning().noquote() << printable(u"Tarnwick: nie można odczytać %1 (%2); do końca działania programu nic nie "
                                      u"zostanie w nim zapisane"_s.arg(path, f.reason));
}
