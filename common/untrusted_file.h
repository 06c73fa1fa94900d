#pragma once

#include <QByteArray>
#include <QString>

// The contents of a file that someone else may have put in place: read without waiting on a FIFO or a
// device, only when it is a regular file of at most `limit` bytes.
struct UntrustedFile {
    enum class Status { Read, Missing, Denied, NotRegular, TooLarge, Failed };

    Status status = Status::Failed;
    QByteArray bytes; // when read
    QString reason;   // what went wrong, for a message to the user; empty when read or missing
};

UntrustedFile readUntrusted(const QString& path, qint64 limit);

// The same checks for a file read by other means (SQLite), of any size, without reading it: Read when it
// may be read.
UntrustedFile probeUntrusted(const QString& path);

// Says on stderr, once per run and file, that the file at `path` could not be read (`f` tells why) and that
// nothing will be written over it while the program runs.
void reportLeftAlone(const QString& path, const UntrustedFile& f);
