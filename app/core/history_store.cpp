#include "core/history_store.h"

#include "common/untrusted_file.h"
#include "core/set_aside.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

using namespace Qt::StringLiterals;
using namespace std::chrono;

namespace {

// SQLite's result codes for a file that is not a sound database.
const QStringList damageCodes{u"11"_s /* corrupt */, u"14"_s /* cannot open */, u"26"_s /* not a database */};

const char* const schema[] = {
    "PRAGMA journal_mode=WAL",
    "PRAGMA synchronous=NORMAL",
    "CREATE TABLE IF NOT EXISTS minutes(minute INTEGER NOT NULL, host TEXT NOT NULL, samples INTEGER NOT NULL,"
    " lost INTEGER NOT NULL, min REAL, avg REAL, max REAL, PRIMARY KEY(minute, host)) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS outages(start INTEGER NOT NULL, host TEXT NOT NULL, label TEXT NOT NULL,"
    " end INTEGER NOT NULL, open INTEGER NOT NULL, lost INTEGER NOT NULL, network TEXT NOT NULL,"
    " PRIMARY KEY(start, host)) WITHOUT ROWID",
    // Outages left open by a writer that stopped end where its record ends.
    "UPDATE outages SET open = 0 WHERE open = 1",
};

// A row for a minute held already adds its samples: the program may restart within a minute.
const char* const insertMinute =
    "INSERT INTO minutes(minute, host, samples, lost, min, avg, max) VALUES(?, ?, ?, ?, ?, ?, ?)"
    " ON CONFLICT(minute, host) DO UPDATE SET"
    " min = coalesce(min(min, excluded.min), min, excluded.min),"
    " max = coalesce(max(max, excluded.max), max, excluded.max),"
    " avg = CASE WHEN samples - lost + excluded.samples - excluded.lost = 0 THEN NULL ELSE"
    " (coalesce(avg, 0) * (samples - lost) + coalesce(excluded.avg, 0) * (excluded.samples - excluded.lost))"
    " / (samples - lost + excluded.samples - excluded.lost) END,"
    " samples = samples + excluded.samples, lost = lost + excluded.lost";

const char* const insertOutage =
    "INSERT OR REPLACE INTO outages(start, host, label, end, open, lost, network) VALUES(?, ?, ?, ?, ?, ?, ?)";

qint64 msOf(Timestamp t) {
    return duration_cast<milliseconds>(t.time_since_epoch()).count();
}

Timestamp fromMs(qint64 ms) {
    return Timestamp(milliseconds(ms));
}

qint64 secondsOf(Timestamp t) {
    return duration_cast<seconds>(t.time_since_epoch()).count();
}

QVariant figure(const MinuteRow& r, double v) {
    return r.answered() > 0 ? QVariant(v) : QVariant(QMetaType(QMetaType::Double));
}

QString nextConnection() {
    static std::atomic<int> n{0};
    return u"tarnwick-history-%1"_s.arg(++n);
}

bool damaged(const QSqlError& e) {
    return damageCodes.contains(e.nativeErrorCode());
}

} // namespace

HistoryStore::HistoryStore(QString file, Mode mode)
    : file_(std::move(file))
    , mode_(mode)
    , connection_(nextConnection()) {}

HistoryStore::~HistoryStore() {
    close();
}

QString HistoryStore::defaultFile() {
    return platform::dataDirectory() + u"/history.sqlite"_s;
}

bool HistoryStore::open() {
    if (opened_)
        return true;
    if (mode_ == Mode::Read ? !QFileInfo::exists(file_) : !writable_)
        return false;
    // SQLite would block on a FIFO or a device, and a file it may not read is not damage: such a file, or such a
    // journal beside it, is left alone and nothing is written this run.
    for (const QString& path : {file_, file_ + u"-wal"_s}) {
        const UntrustedFile f = probeUntrusted(path);
        if (f.status == UntrustedFile::Status::Read || f.status == UntrustedFile::Status::Missing)
            continue;
        if (mode_ == Mode::Write) {
            writable_ = false;
            reportLeftAlone(path, f);
        }
        return false;
    }
    if (mode_ == Mode::Write)
        QDir().mkpath(QFileInfo(file_).path());
    const State state = prepare();
    opened_ = state == State::Sound;
    if (!opened_)
        close();
    if (state == State::Damaged && mode_ == Mode::Write)
        setAside();
    return opened_;
}

HistoryStore::State HistoryStore::prepare() {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection_);
    db.setDatabaseName(file_);
    db.setConnectOptions(mode_ == Mode::Read ? u"QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"_s
                                             : u"QSQLITE_BUSY_TIMEOUT=2000"_s);
    if (!db.open())
        return damaged(db.lastError()) ? State::Damaged : State::Later;
    QSqlQuery q(db);
    // A damaged file often opens fine and fails only when read.
    if (!q.exec(u"PRAGMA quick_check"_s))
        return damaged(q.lastError()) ? State::Damaged : State::Later;
    if (!q.next() || q.value(0).toString() != u"ok"_s)
        return State::Damaged;
    if (mode_ == Mode::Read)
        return State::Sound;
    for (const char* statement : schema) {
        if (!q.exec(QLatin1StringView(statement)))
            return damaged(q.lastError()) ? State::Damaged : State::Later;
    }
    return State::Sound;
}

void HistoryStore::close() {
    opened_ = false;
    if (!QSqlDatabase::contains(connection_))
        return;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

void HistoryStore::setAside() {
    // The history starts afresh beside the damaged file.
    const std::optional<QString> target = ::setAside(file_);
    writable_ = target.has_value();
    if (target)
        QFile::rename(file_ + u"-wal"_s, *target + u"-wal"_s);
    QFile::remove(file_ + u"-shm"_s);
}

bool HistoryStore::write(const QList<MinuteRow>& minutes, const QList<Outage>& outages, Timestamp prune) {
    // A second try goes to the fresh file that replaces a damaged one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open())
            continue;
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.transaction();
        QSqlQuery q(db);
        bool ok = q.prepare(QLatin1StringView(insertMinute));
        for (const MinuteRow& r : minutes) {
            q.addBindValue(secondsOf(r.minute));
            q.addBindValue(r.host);
            q.addBindValue(r.samples);
            q.addBindValue(r.lost);
            q.addBindValue(figure(r, r.min));
            q.addBindValue(figure(r, r.avg));
            q.addBindValue(figure(r, r.max));
            ok = ok && q.exec();
        }
        ok = ok && q.prepare(QLatin1StringView(insertOutage));
        for (const Outage& o : outages) {
            q.addBindValue(msOf(o.start));
            q.addBindValue(o.host);
            q.addBindValue(o.label);
            q.addBindValue(msOf(o.end));
            q.addBindValue(o.open ? 1 : 0);
            q.addBindValue(o.lost);
            q.addBindValue(o.network);
            ok = ok && q.exec();
        }
        ok = ok && q.prepare(u"DELETE FROM minutes WHERE minute < ?"_s);
        q.addBindValue(secondsOf(prune));
        ok = ok && q.exec();
        ok = ok && q.prepare(u"DELETE FROM outages WHERE open = 0 AND end < ?"_s);
        q.addBindValue(msOf(prune));
        ok = ok && q.exec();
        if (ok && db.commit())
            return true;
        const QSqlError error = q.lastError().type() != QSqlError::NoError ? q.lastError() : db.lastError();
        db.rollback();
        q = QSqlQuery();
        db = QSqlDatabase();
        close();
        if (!damaged(error))
            return false;
        setAside();
    }
    return false;
}

HistoryStore::Loaded HistoryStore::load(Timestamp since) {
    Loaded loaded;
    // Reading never makes a file: nothing is written until there is something to keep.
    if (!QFileInfo::exists(file_) || !open())
        return loaded;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(u"SELECT minute, host, samples, lost, min, avg, max FROM minutes WHERE minute >= ? ORDER BY minute"_s);
    q.addBindValue(secondsOf(since));
    if (q.exec()) {
        while (q.next()) {
            loaded.minutes.append({q.value(1).toString(), Timestamp(seconds(q.value(0).toLongLong())),
                                   q.value(2).toInt(), q.value(3).toInt(), q.value(4).toDouble(), q.value(5).toDouble(),
                                   q.value(6).toDouble()});
        }
    }
    q.prepare(u"SELECT start, host, label, end, open, lost, network FROM outages WHERE end >= ? OR open = 1"
              u" ORDER BY start DESC"_s);
    q.addBindValue(msOf(since));
    if (q.exec()) {
        while (q.next()) {
            loaded.outages.append({q.value(1).toString(), q.value(2).toString(), fromMs(q.value(0).toLongLong()),
                                   fromMs(q.value(3).toLongLong()), q.value(4).toInt() != 0, q.value(5).toInt(),
                                   q.value(6).toString()});
        }
    }
    return loaded;
}
