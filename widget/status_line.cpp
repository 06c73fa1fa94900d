#include "widget/status_line.h"

#include "common/ping_alarm.h"
#include "common/printable.h"
#include "common/texts.h"
#include "widget/w_format.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

constexpr Seconds staleAfter{120.0};

QString levelClass(std::optional<double> ms) {
    switch (pingLevel(ms)) {
    case PingLevel::Good:
        return u"green"_s;
    case PingLevel::Slow:
        return u"orange"_s;
    case PingLevel::Bad:
        break;
    }
    return u"red"_s;
}

QByteArray line(const QString& text, const QString& tooltip, const QString& cls) {
    const QJsonObject o{{"text"_L1, text.toHtmlEscaped()}, {"tooltip"_L1, tooltip.toHtmlEscaped()}, {"class"_L1, cls}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray statusLine(const std::optional<Snapshot>& snap, Timestamp now) {
    if (!snap)
        return line(u"Uruchom Tarnwick"_s, u"Brak danych z programu Tarnwick"_s, u"off"_s);
    const Snapshot& s = *snap;
    // The program writes at least every 30 s while it runs; older figures are no longer the connection's.
    const bool stale = between(s.time, now) > staleAfter;
    const QString rates = u"↓ %1 ↑ %2"_s.arg(wRate(s.down), wRate(s.up));
    QStringList tip;
    for (const HostPing& h : s.hosts)
        tip.append(u"%1: %2 ms"_s.arg(printable(h.name), wMs(h.ms)));
    tip.append(rates);
    if (s.exit)
        tip.append(u"Wyjście przez exit node: "_s + printable(*s.exit));
    if (s.hotspot)
        tip.append(u"Hotspot: "_s + byteCount(s.hotspotToday) + u" dziś"_s);
    const QString age = relativeAge(s.time, now);
    const QString ago = age == "teraz"_L1 ? age : age + u" temu"_s;
    tip.append(u"Pomiar: "_s + ago + (stale ? u" (nieaktualny)"_s : QString()));
    QString text = rates;
    QString cls = u"none"_s;
    if (!s.hosts.isEmpty()) {
        const auto ms = s.hosts.first().ms;
        text += u" · "_s + wMs(ms) + u" ms"_s;
        cls = levelClass(ms);
    }
    if (stale)
        return line(text + u" · "_s + ago, tip.join(u'\n'), u"stale"_s);
    return line(text, tip.join(u'\n'), cls);
}
