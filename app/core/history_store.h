#pragma once

#include "core/minutes.h"
#include "core/outage.h"

#include <QString>

// The history database: one row per host and minute and one per outage, in an SQLite file in WAL mode.
// Use it from one thread only.
class HistoryStore {
public:
    enum class Mode { Write, Read };

    struct Loaded {
        QList<MinuteRow> minutes; // oldest first
        QList<Outage> outages;    // newest first
    };

    HistoryStore(QString file, Mode mode);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Writes the rows and outages in one transaction and drops what ended before `prune`. A row for a
    // minute that is stored already adds to it. False when nothing could be written.
    bool write(const QList<MinuteRow>& minutes, const QList<Outage>& outages, Timestamp prune);
    // What the file holds from `since` on. Empty when there is no file or it cannot be read.
    Loaded load(Timestamp since);

    const QString& file() const { return file_; }
    // "history.sqlite" in the program's data folder.
    static QString defaultFile();

private:
    // Later: failed for a reason that may pass (the file is busy, the disk full).
    enum class State { Sound, Later, Damaged };

    bool open();
    void close();
    State prepare();
    void setAside();

    QString file_;
    Mode mode_;
    QString connection_;
    bool opened_ = false;
    // False when the file could not be read, or a damaged one could not be moved aside: it must not be written
    // over then.
    bool writable_ = true;
};
