#pragma once

#include "core/clock.h"
#include "core/globals.h"
#include "core/history_store.h"
#include "core/minutes.h"
#include "core/outage.h"

#include <QObject>
#include <memory>

class Worker;

// The long view of every host: the figures of each minute and the outages, the last day of them in memory and
// seven days in the history database, which is written once a minute on a thread of its own.
class History final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(History)

public:
    // How long the database keeps a minute or an outage.
    static constexpr Seconds keep{7 * 24 * 3600.0};
    // How much of it is held in memory.
    static constexpr Seconds day{24 * 3600.0};
    // A pause between two readings longer than this is the machine asleep.
    static constexpr Seconds sleepGap = tick * 5;

    struct Deps {
        const Clock* clock = &Clock::system();
        // The database; empty keeps the history in memory only.
        QString file = HistoryStore::defaultFile();
    };

    explicit History(Deps deps, QObject* parent = nullptr);
    // Writes what is held, the current minute's figures included, and waits for the writer.
    ~History() override;

    // One sample of `host`, shown as `label`, taken on `network`.
    void add(const QString& host, const QString& label, const QString& network, const Sample& s);
    // Called every refresh: notices a sleep and writes the minutes that are over.
    void refresh();
    // The network changed: the losses it causes are not an outage.
    void networkChanged();
    // The machine woke from sleep.
    void woke();

    // The minutes of the last day that are over, oldest first.
    QList<MinuteRow> minutes(const QString& host) const { return day_.value(host); }
    // The outages of the last day, newest first, the ongoing ones included.
    QList<Outage> outages() const;
    // The outage `host` is in now, if any.
    const Outage* current(const QString& host) const { return rule_.current(host); }
    // Outages of `host` that started since the program started.
    int started(const QString& host) const { return started_.value(host); }
    // The stored history has been read.
    bool ready() const { return ready_; }

signals:
    // The minutes or the outages of the last day changed.
    void changed();
    void outageStarted(const Outage& o);
    void outageEnded(const Outage& o);

private:
    void observe(Timestamp t);
    void flush(Timestamp now, bool everything);
    void keepDay(const QList<MinuteRow>& rows);
    void closed(const Outage& o);
    void merge(const HistoryStore::Loaded& loaded);

    const Clock& clock_;
    OutageRule rule_;
    Minutes minutes_;
    QHash<QString, QList<MinuteRow>> day_;
    QList<Outage> closed_; // newest first
    QList<Outage> ended_;  // not yet written
    QHash<QString, int> started_;
    std::optional<Timestamp> seen_;
    Timestamp flushed_;
    bool ready_ = false;
    std::unique_ptr<HistoryStore> store_;
    std::unique_ptr<Worker> worker_;
};
