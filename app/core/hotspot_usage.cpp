#include "core/hotspot_usage.h"

#include "common/stale_temporaries.h"
#include "common/untrusted_file.h"
#include "core/counters.h"
#include "core/hotspot_address.h"
#include "core/set_aside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Additions between two saves: about 30 seconds of tethered refreshes.
constexpr int saveEvery = 15;
// The file holds five short values; a larger one is not ours.
constexpr qint64 maxFileSize = 64 * 1024;
constexpr double maxLimitGB = 100000;

quint64 plus(quint64 a, quint64 b) {
    return a > std::numeric_limits<quint64>::max() - b ? std::numeric_limits<quint64>::max() : a + b;
}

// monthBytes × 10 ≥ limit × 8 in exact integers. The limit is capped far below overflow; a month total too
// large to multiply is past any limit.
bool reached80(quint64 monthBytes, quint64 limit) {
    return monthBytes > std::numeric_limits<quint64>::max() / 10 || monthBytes * 10 >= limit * 8;
}

} // namespace

HotspotUsage::HotspotUsage()
    : HotspotUsage(Deps{}) {}

HotspotUsage::HotspotUsage(Deps deps, QObject* parent)
    : QObject(parent)
    , clock_(*deps.clock)
    , file_(std::move(deps.file))
    , prefs_(std::move(deps.prefs))
    , notify_(std::move(deps.notify)) {
    load();
}

QString HotspotUsage::defaultFile() {
    return platform::dataDirectory() + u"/hotspot-usage.json"_s;
}

quint64 HotspotUsage::limit() const {
    const double gb = std::clamp(prefs_.hotspotLimitGB(), 0.0, maxLimitGB);
    return quint64(gb * 1e9);
}

void HotspotUsage::setLimitGB(double gb) {
    prefs_.setHotspotLimitGB(gb);
    emit changed();
}

void HotspotUsage::load() {
    const QFileInfo info(file_);
    removeStaleTemporaries(info.path(), info.fileName() + u'.');
    const UntrustedFile f = readUntrusted(file_, maxFileSize);
    switch (f.status) {
    case UntrustedFile::Status::Missing:
        return;
    case UntrustedFile::Status::Read:
        if (const auto loaded = UsageState::decode(f.bytes))
            state_ = *loaded;
        else
            writable_ = setAside(file_).has_value();
        return;
    default:
        // Not damage: the totals may well be intact, so the file stays where it is and nothing replaces it
        // while this run lasts.
        writable_ = false;
        reportLeftAlone(file_, f);
    }
}

void HotspotUsage::update(const platform::Interfaces& now) {
    const std::optional<QString> iface = hotspotInterface(now.ipv4);
    const bool was = active_;
    active_ = iface.has_value();
    if (active_ && !was)
        session_ = 0;
    bool changedNow = was != active_;
    changedNow |= rollover();

    const auto counters = iface ? now.bytes.constFind(*iface) : now.bytes.cend();
    if (counters != now.bytes.cend()) {
        if (last_ && last_->iface == *iface) {
            const quint64 d = plus(counterDelta(last_->i, counters->in, now.counterBits),
                                   counterDelta(last_->o, counters->out, now.counterBits));
            add(d);
            changedNow |= d > 0;
        }
        last_ = Last{*iface, counters->in, counters->out};
    } else {
        last_.reset();
    }
    if (changedNow)
        emit changed();
}

bool HotspotUsage::rollover() {
    const QString day = localTime(clock_.now()).toString(u"yyyy-MM-dd"_s);
    const QString month = day.left(7);
    bool rolled = false;
    if (state_.day != day) {
        state_.day = day;
        state_.dayBytes = 0;
        rolled = true;
    }
    if (state_.month != month) {
        state_.month = month;
        state_.monthBytes = 0;
        rolled = true;
    }
    return rolled;
}

void HotspotUsage::add(quint64 bytes) {
    state_.dayBytes = plus(state_.dayBytes, bytes);
    state_.monthBytes = plus(state_.monthBytes, bytes);
    session_ = plus(session_, bytes);
    if (++dirty_ >= saveEvery)
        save();
    const quint64 lim = limit();
    if (lim != 0 && reached80(state_.monthBytes, lim) && state_.warned != state_.month) {
        // Marked before anyone answers, so a refused notification is not asked again this month.
        state_.warned = state_.month;
        save();
        notify_({u"hotspot80"_s, u"Hotspot: 80% limitu"_s,
                 u"W tym miesiącu zużyto już ponad 80% ustawionego limitu danych."_s});
    }
}

void HotspotUsage::save() {
    dirty_ = 0;
    if (!writable_)
        return;
    QDir().mkpath(QFileInfo(file_).path());
    QSaveFile f(file_);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(state_.encode());
    f.commit();
}
