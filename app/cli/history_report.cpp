#include "cli/history_report.h"

#include "common/printable.h"
#include "core/formatters.h"
#include "core/globals.h"
#include "core/preferences.h"

#include <QCoreApplication>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString whenText(Timestamp t) {
    return localTime(t).toString(u"dd.MM HH:mm"_s);
}

// Figures of the minutes of one hour.
struct Hour {
    int samples = 0;
    int lost = 0;
    double sum = 0; // of round-trip times, weighted by answers
    double max = 0;
};

QString hostSection(const QString& host, const QString& label, const QList<MinuteRow>& rows,
                    const QList<Outage>& outages, Timestamp since, Timestamp now) {
    // Host names, labels and network names are anyone's text: they show their control characters.
    QString out = label.isEmpty() ? printable(host) : printable(label) + u" ("_s + printable(host) + u')';
    out += u'\n';
    Seconds down{0};
    for (const Outage& o : outages)
        down += between(std::max(o.start, since), std::min(o.end, now));
    int samples = 0;
    for (const MinuteRow& r : rows)
        samples += r.samples;
    const Seconds measured = tick * samples;
    const double uptime = std::clamp(1.0 - down / measured, 0.0, 1.0) * 100;
    out += u"  dostępność "_s + number(uptime, 2) + u" % · mierzono "_s + duration(measured) + u" · przerwy: "_s +
           QString::number(outages.size()) + u'\n';
    for (const Outage& o : outages) {
        out += u"    "_s + whenText(o.start) + u" · "_s + duration(o.duration()) + (o.open ? u" (trwa)"_s : QString()) +
               u" · "_s + QString::number(o.lost) + u" utraconych · "_s + printable(o.network) + u'\n';
    }
    // By the local hour's start.
    QMap<QDateTime, Hour> byHour;
    for (const MinuteRow& r : rows) {
        QDateTime hour = localTime(r.minute);
        hour.setTime(QTime(hour.time().hour(), 0));
        Hour& h = byHour[hour];
        h.samples += r.samples;
        h.lost += r.lost;
        h.sum += r.avg * r.answered();
        if (r.answered() > 0)
            h.max = std::max(h.max, r.max);
    }
    for (auto it = byHour.cbegin(); it != byHour.cend(); ++it) {
        const Hour& h = *it;
        const int answered = h.samples - h.lost;
        out += u"    "_s + it.key().toString(u"dd.MM HH:mm"_s) + u"  śr. "_s +
               (answered > 0 ? ms(h.sum / answered) : ms(std::nullopt)) + u"  max "_s +
               (answered > 0 ? ms(h.max) : ms(std::nullopt)) + u"  straty "_s +
               number(double(h.lost) / h.samples * 100, 1) + u" %\n"_s;
    }
    return out;
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', u"\"\""_s) + u'"';
}

} // namespace

QString historyReport(const HistoryStore::Loaded& h, Timestamp now, int hours, const QStringList& hosts,
                      const QMap<QString, QString>& labels) {
    const Timestamp since = ago(now, std::chrono::hours(hours));
    QString out = u"Historia z ostatnich "_s + QString::number(hours) + u" h (od "_s + whenText(since) + u")\n"_s;
    QStringList order;
    for (const QString& host : hosts) {
        if (std::any_of(h.minutes.cbegin(), h.minutes.cend(), [&](const MinuteRow& r) { return r.host == host; }))
            order.append(host);
    }
    QStringList others;
    for (const MinuteRow& r : h.minutes) {
        if (!order.contains(r.host) && !others.contains(r.host))
            others.append(r.host);
    }
    others.sort();
    order += others;
    if (order.isEmpty())
        return out + u"\nbrak zapisanych pomiarów\n"_s;
    for (const QString& host : std::as_const(order)) {
        QList<MinuteRow> rows;
        std::copy_if(h.minutes.cbegin(), h.minutes.cend(), std::back_inserter(rows),
                     [&](const MinuteRow& r) { return r.host == host; });
        QList<Outage> outages;
        std::copy_if(h.outages.crbegin(), h.outages.crend(), std::back_inserter(outages),
                     [&](const Outage& o) { return o.host == host; });
        out += u'\n' + hostSection(host, labels.value(host), rows, outages, since, now);
    }
    return out;
}

QString historyCsv(const QList<MinuteRow>& rows) {
    QString out = u"host,minute,samples,lost,min_ms,avg_ms,max_ms\n"_s;
    for (const MinuteRow& r : rows) {
        const bool answered = r.answered() > 0;
        const QDateTime minute = localTime(r.minute);
        out += csvField(printable(r.host)) + u',' +
               minute.toOffsetFromUtc(minute.offsetFromUtc()).toString(Qt::ISODate) + u',' +
               QString::number(r.samples) + u',' + QString::number(r.lost) + u',' +
               (answered ? number(r.min, 2) : QString()) + u',' + (answered ? number(r.avg, 2) : QString()) + u',' +
               (answered ? number(r.max, 2) : QString()) + u'\n';
    }
    return out;
}

int runHistory(int& argc, char** argv, int hours, bool csv) {
    // The database driver is a plug-in, found through the application.
    const QCoreApplication app(argc, argv);
    const Timestamp now = std::chrono::system_clock::now();
    HistoryStore store(HistoryStore::defaultFile(), HistoryStore::Mode::Read);
    const HistoryStore::Loaded h = store.load(ago(now, std::chrono::hours(hours)));
    QTextStream out(stdout);
    const Preferences prefs;
    out << (csv ? historyCsv(h.minutes) : historyReport(h, now, hours, prefs.hosts(), prefs.hostLabels()));
    return 0;
}
