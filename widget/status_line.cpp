#include "widget/status_line.h"

#include "common/texts.h"
#include "widget/w_format.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

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
    const QString rates = u"↓ %1 ↑ %2"_s.arg(wRate(s.down), wRate(s.up));
    QStringList tip;
    for (const HostPing& h : s.hosts)
        tip.append(u"%1: %2 ms"_s.arg(h.name, wMs(h.ms)));
    tip.append(rates);
    if (s.exit)
        tip.append(u"Wyjście przez exit node: "_s + *s.exit);
    if (s.hotspot)
        tip.append(u"Hotspot: "_s + byteCount(s.hotspotToday) + u" dziś"_s);
    const QString age = relativeAge(s.time, now);
    tip.append(u"Pomiar: "_s + (age == "teraz"_L1 ? age : age + u" temu"_s));
    if (s.hosts.isEmpty())
        return line(rates, tip.join(u'\n'), u"none"_s);
    const auto ms = s.hosts.first().ms;
    return line(rates + u" · "_s + wMs(ms) + u" ms"_s, tip.join(u'\n'), levelClass(ms));
}
