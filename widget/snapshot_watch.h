#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

// Tells when the snapshot file may have changed. The application replaces the file by renaming a new one
// over it, which ends a watch on the old file; the folder is watched too and the file watched again after
// every change. While the folder does not exist yet, its nearest existing parent is watched instead.
class SnapshotWatch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SnapshotWatch)

public:
    explicit SnapshotWatch(const QString& file, QObject* parent = nullptr);

    // The paths being watched now.
    QStringList watched() const;

signals:
    void changed();

private:
    void rewatch();

    QString file_;
    QFileSystemWatcher watcher_;
};
