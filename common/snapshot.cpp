#include "common/snapshot.h"

#include "common/container.h"
#include "common/json_count.h"
#include "common/stale_temporaries.h"
#include "common/untrusted_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A real snapshot is a few hundred bytes; anything near this size is not one.
constexpr qint64 maxFileSize = 1 << 20;

// `write` names its temporary file this and six random characters.
constexpr auto temporaryPrefix = ".snapshot.json."_L1;

// A JSON value read with the decoder's rules: absent and null are the same for optionals, any other
// mismatch rejects the document.
class Reader {
public:
    explicit Reader(const QJsonObject& o)
        : o_(o) {}

    bool ok() const { return ok_; }

    double number(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (!v.isDouble())
            return fail(0.0);
        return v.toDouble();
    }

    std::optional<double> optionalNumber(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        if (!v.isDouble())
            return fail(std::optional<double>{});
        return v.toDouble();
    }

    QString string(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (!v.isString())
            return fail(QString());
        return v.toString();
    }

    std::optional<QString> optionalString(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        if (!v.isString())
            return fail(std::optional<QString>{});
        return v.toString();
    }

    bool boolean(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (!v.isBool())
            return fail(false);
        return v.toBool();
    }

    quint64 count(QLatin1StringView key) {
        const auto n = countFromJson(o_.value(key));
        return n ? *n : fail(quint64{0});
    }

    QJsonArray array(QLatin1StringView key) {
        const QJsonValue v = o_.value(key);
        if (!v.isArray())
            return fail(QJsonArray());
        return v.toArray();
    }

    template <typename T> T fail(T value) {
        ok_ = false;
        return value;
    }

private:
    QJsonObject o_;
    bool ok_ = true;
};

std::optional<HostPing> decodeHost(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    Reader r(value.toObject());
    HostPing h;
    h.host = r.string("host"_L1);
    h.name = r.string("name"_L1);
    h.ms = r.optionalNumber("ms"_L1);
    if (!r.ok())
        return std::nullopt;
    return h;
}

} // namespace

std::optional<QString> Snapshot::url() {
    const auto dir = containerDirectory();
    if (!dir)
        return std::nullopt;
    return *dir + "/snapshot.json"_L1;
}

QByteArray Snapshot::encode() const {
    QJsonArray list;
    for (const HostPing& h : hosts) {
        QJsonObject o{{"host"_L1, h.host}, {"name"_L1, h.name}};
        if (h.ms)
            o.insert("ms"_L1, *h.ms);
        list.append(o);
    }
    QJsonObject o{
        {"time"_L1, referenceSeconds(time)},
        {"down"_L1, down},
        {"up"_L1, up},
        {"hosts"_L1, list},
        {"hotspot"_L1, hotspot},
        {"hotspotToday"_L1, countToJson(hotspotToday)},
    };
    if (exit)
        o.insert("exit"_L1, *exit);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Snapshot> Snapshot::decode(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    Reader r(doc.object());
    Snapshot s;
    const double time = r.number("time"_L1);
    s.down = r.number("down"_L1);
    s.up = r.number("up"_L1);
    const QJsonArray hosts = r.array("hosts"_L1);
    s.exit = r.optionalString("exit"_L1);
    s.hotspot = r.boolean("hotspot"_L1);
    s.hotspotToday = r.count("hotspotToday"_L1);
    if (!r.ok() || !isReferenceSeconds(time))
        return std::nullopt;
    s.time = fromReferenceSeconds(time);
    s.hosts.reserve(hosts.size());
    for (const QJsonValue& v : hosts) {
        auto h = decodeHost(v);
        if (!h)
            return std::nullopt;
        s.hosts.append(*h);
    }
    return s;
}

void Snapshot::write() const {
    const auto path = url();
    if (!path)
        return;
    const QString dir = QFileInfo(*path).path();
    QDir().mkpath(dir);
    // Written beside the file and renamed over it, so a reader sees the old or the new document whole. No
    // sync to disk: a snapshot lost in a crash is rewritten within 30 s, and syncing would stall the refresh.
    QTemporaryFile f(dir + u'/' + temporaryPrefix + u"XXXXXX"_s);
    const QByteArray json = encode();
    if (!f.open() || f.write(json) != json.size() || !f.flush())
        return;
    if (std::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(*path).constData()) == 0)
        f.setAutoRemove(false);
}

void Snapshot::removeStaleTemporaries() {
    if (const auto path = url())
        ::removeStaleTemporaries(QFileInfo(*path).path(), temporaryPrefix);
}

std::optional<Snapshot> Snapshot::read() {
    const auto path = url();
    if (!path)
        return std::nullopt;
    const UntrustedFile file = readUntrusted(*path, maxFileSize);
    if (file.status != UntrustedFile::Status::Read)
        return std::nullopt;
    return decode(file.bytes);
}
