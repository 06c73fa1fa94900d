#include "core/metrics.h"

#include "core/globals.h"
#include "core/history.h"
#include "core/monitor.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

QString quoted(QString value) {
    value.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s).replace(u'\n', u"\\n"_s);
    return u'"' + value + u'"';
}

class Text {
public:
    // Starts a metric family.
    void family(const char* name, const char* type, const char* help) {
        name_ = QLatin1StringView(name);
        out_ += u"# HELP "_s + name_ + u' ' + QLatin1StringView(help) + u"\n# TYPE "_s + name_ + u' ' +
                QLatin1StringView(type) + u'\n';
    }
    // One sample of the current family; `labels` is "" or `{a="b",…}`.
    void sample(const QString& labels, const QString& value) { out_ += name_ + labels + u' ' + value + u'\n'; }
    void sample(const QString& labels, double value) { sample(labels, QString::number(value, 'g', 12)); }
    void sample(const QString& labels, quint64 value) { sample(labels, QString::number(value)); }

    const QString& text() const { return out_; }

private:
    QString name_;
    QString out_;
};

} // namespace

QString metricsText(const Monitor& m) {
    QList<QString> hosts;
    for (const QString& host : m.hosts())
        hosts.append(u"{host="_s + quoted(host) + u",name="_s + quoted(m.name(host)) + u'}');
    Text t;
    t.family("tarnwick_ping_rtt_seconds", "gauge", "Round-trip time of the host's latest answer.");
    for (qsizetype i = 0; i < hosts.size(); ++i) {
        if (const auto ms = m.current(m.hosts()[i]))
            t.sample(hosts[i], *ms / 1000);
    }
    t.family("tarnwick_host_up", "gauge", "1 when the host answered in the last minute and is not in an outage.");
    for (qsizetype i = 0; i < hosts.size(); ++i) {
        const Stats s = m.stats(m.hosts()[i], statsSeconds);
        const bool up = !m.longHistory().current(m.hosts()[i]) && s.count > 0 && s.loss < 100;
        t.sample(hosts[i], up ? 1.0 : 0.0);
    }
    t.family("tarnwick_ping_loss_ratio", "gauge", "Share of the last minute's pings that got no answer.");
    for (qsizetype i = 0; i < hosts.size(); ++i)
        t.sample(hosts[i], m.stats(m.hosts()[i], statsSeconds).loss / 100);
    t.family("tarnwick_host_outages_total", "counter", "Outages (three or more lost pings in a row) since start.");
    for (qsizetype i = 0; i < hosts.size(); ++i)
        t.sample(hosts[i], quint64(m.longHistory().started(m.hosts()[i])));

    const auto& bytes = m.interfaces().bytes;
    t.family("tarnwick_network_receive_bytes_total", "counter", "Bytes received by the interface.");
    for (auto it = bytes.cbegin(); it != bytes.cend(); ++it) {
        if (platform::isMeasured(it.key()))
            t.sample(u"{interface="_s + quoted(it.key()) + u'}', it->in);
    }
    t.family("tarnwick_network_transmit_bytes_total", "counter", "Bytes sent by the interface.");
    for (auto it = bytes.cbegin(); it != bytes.cend(); ++it) {
        if (platform::isMeasured(it.key()))
            t.sample(u"{interface="_s + quoted(it.key()) + u'}', it->out);
    }
    t.family("tarnwick_download_bytes_per_second", "gauge", "Current download rate.");
    t.sample({}, m.down());
    t.family("tarnwick_upload_bytes_per_second", "gauge", "Current upload rate.");
    t.sample({}, m.up());

    const HotspotUsage& u = m.usage();
    t.family("tarnwick_hotspot_active", "gauge", "1 while the machine is tethered to a phone hotspot.");
    t.sample({}, u.active() ? 1.0 : 0.0);
    t.family("tarnwick_hotspot_day_bytes", "gauge", "Bytes moved over the hotspot today.");
    t.sample({}, u.state().dayBytes);
    t.family("tarnwick_hotspot_month_bytes", "gauge", "Bytes moved over the hotspot this month.");
    t.sample({}, u.state().monthBytes);
    t.family("tarnwick_hotspot_session_bytes", "gauge", "Bytes moved over the hotspot since tethering began.");
    t.sample({}, u.session());
    t.family("tarnwick_hotspot_limit_bytes", "gauge", "The monthly hotspot limit; 0 is none.");
    t.sample({}, u.limit());
    return t.text();
}

bool writeMetrics(const QString& file, const QString& text) {
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text.toUtf8());
    return f.commit();
}
