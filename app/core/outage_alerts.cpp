#include "core/outage_alerts.h"

#include "core/formatters.h"
#include "core/history.h"

using namespace Qt::StringLiterals;

OutageAlerts::OutageAlerts(const History& history, Preferences prefs, Notifier notify, QObject* parent)
    : QObject(parent)
    , prefs_(std::move(prefs))
    , notify_(std::move(notify)) {
    connect(&history, &History::outageStarted, this, &OutageAlerts::show);
    connect(&history, &History::outageEnded, this, &OutageAlerts::show);
}

platform::Notification OutageAlerts::notification(const Outage& o) {
    // One id per host, so that the end replaces the start.
    const QString id = u"outage:"_s + o.host;
    if (!o.open)
        return {id, o.label + u" odpowiada"_s, u"przerwa "_s + duration(o.duration())};
    return {id, u"Brak odpowiedzi: "_s + o.label,
            u"od "_s + localTime(o.start).toString(u"HH:mm"_s) + u" · "_s + o.network};
}

void OutageAlerts::show(const Outage& o) {
    if (prefs_.outageAlerts())
        notify_(notification(o));
}
