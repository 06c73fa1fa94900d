#include "widget/snapshot_watch.h"

#include <QDir>
#include <QFileInfo>

SnapshotWatch::SnapshotWatch(const QString& file, QObject* parent)
    : QObject(parent)
    , file_(QFileInfo(file).absoluteFilePath()) {
    const auto onChange = [this] {
        rewatch();
        emit changed();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, onChange);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, onChange);
    rewatch();
}

QStringList SnapshotWatch::watched() const {
    return watcher_.files() + watcher_.directories();
}

void SnapshotWatch::rewatch() {
    QStringList wanted;
    if (QFileInfo(file_).isFile())
        wanted.append(file_);
    QDir dir = QFileInfo(file_).dir();
    while (!dir.exists() && !dir.isRoot())
        dir.setPath(QFileInfo(dir.path()).path());
    wanted.append(dir.path());

    // Watched again from scratch: a watch may still sit on the inode that a rename just replaced.
    const QStringList current = watched();
    if (!current.isEmpty())
        watcher_.removePaths(current);
    watcher_.addPaths(wanted);
}
