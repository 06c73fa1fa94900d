#include "support/hostile_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace hostile {

void addRows(std::initializer_list<Kind> kinds) {
    static const char* const names[] = {"fifo", "zero device", "100 MB", "unreadable", "folder"};
    QTest::addColumn<Kind>("kind");
    for (const Kind kind : kinds)
        QTest::newRow(names[int(kind)]) << kind;
}

bool place(const QString& path, Kind kind, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    switch (kind) {
    case Kind::Fifo:
        return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::Device:
        // As root, a writer that wrongly followed a link to /dev/zero would replace the machine's device: root
        // gets a zero device node of its own instead.
        if (geteuid() == 0)
            return mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 5)) == 0;
        return QFile::link(QStringLiteral("/dev/zero"), path);
    case Kind::Folder:
        return QDir().mkpath(path);
    case Kind::Huge:
    case Kind::Unreadable:
        break;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        return false;
    // Sparse: the size is there without the disk space.
    return kind == Kind::Huge ? f.resize(100'000'000) : f.setPermissions({});
}

bool cannotMake(Kind kind) {
    return kind == Kind::Unreadable && geteuid() == 0;
}

QString lookAt(const QString& path) {
    const QFileInfo info(path);
    const QStringList beside =
        QDir(info.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    return QStringLiteral("%1 %2 %3 %4 | %5")
        .arg(info.isSymLink())
        .arg(info.isDir())
        .arg(info.size())
        .arg(info.lastModified().toString(Qt::ISODateWithMs), beside.join(u' '));
}

} // namespace hostile
