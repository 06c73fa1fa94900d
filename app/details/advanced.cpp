#include "details/advanced.h"

#include "core/clock.h"
#include "core/counters.h"

using namespace Qt::StringLiterals;

Advanced::Advanced(const Clock& clock, QObject* parent)
    : QObject(parent)
    , clock_(clock) {}

void Advanced::update(const platform::Interfaces& now) {
    const Timestamp t = clock_.now();
    if (lastIfTime_) {
        const Seconds dt = between(*lastIfTime_, t);
        if (dt.count() > 0)
            interfaceRates(now, dt);
    }
    lastIf_ = now.bytes;
    lastIfTime_ = t;
}

void Advanced::interfaceRates(const platform::Interfaces& now, Seconds dt) {
    QList<Flow> flows;
    // The address map is ordered by name already.
    for (auto it = now.ipv4.cbegin(); it != now.ipv4.cend(); ++it) {
        const QString& name = it.key();
        if (name.startsWith(u"lo"_s))
            continue;
        const auto current = now.bytes.constFind(name);
        const auto previous = lastIf_.constFind(name);
        if (current == now.bytes.cend() || previous == lastIf_.cend())
            continue;
        flows.append({name, counterDelta(previous->in, current->in, now.counterBits) / dt.count(),
                      counterDelta(previous->out, current->out, now.counterBits) / dt.count()});
    }
    if (flows != ifaces_) {
        ifaces_ = std::move(flows);
        emit changed();
    }
}
