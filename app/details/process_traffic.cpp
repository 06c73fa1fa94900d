#include "details/process_traffic.h"

#include "core/counters.h"

#include <algorithm>

using namespace Qt::StringLiterals;

ProcessSample parseSample(QStringView text) {
    ProcessSample sample;
    const auto lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto fields = lines[i].split(u',');
        if (fields.size() < 3 || fields[1].isEmpty() || fields[2].isEmpty())
            continue;
        bool inOk = false;
        bool outOk = false;
        const quint64 in = fields[1].toULongLong(&inOk);
        const quint64 out = fields[2].toULongLong(&outOk);
        if (inOk && outOk)
            sample.insert(fields[0].toString(), {in, out});
    }
    return sample;
}

QString displayName(QStringView key) {
    auto pieces = key.split(u'.', Qt::SkipEmptyParts);
    if (!pieces.isEmpty())
        pieces.removeLast();
    QString name;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            name += u'.';
        name += pieces[i];
    }
    return name.isEmpty() ? key.toString() : name;
}

QList<Flow> processFlows(const ProcessSample& before, const ProcessSample& now, Seconds dt) {
    QList<Flow> flows;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto previous = before.constFind(it.key());
        if (previous == before.cend() || it->in < previous->in || it->out < previous->out)
            continue;
        flows.append({displayName(it.key()), double(it->in - previous->in) / dt.count(),
                      double(it->out - previous->out) / dt.count()});
    }
    std::stable_sort(flows.begin(), flows.end(),
                     [](const Flow& a, const Flow& b) { return a.down + a.up > b.down + b.up; });
    if (flows.size() > 5)
        flows.resize(5);
    return flows;
}

QList<Flow> interfaceFlows(const QMap<QString, platform::Counters>& before,
                           const QMap<QString, platform::Counters>& now, int bits, const QStringList& addressed,
                           Seconds dt) {
    QList<Flow> flows;
    for (const QString& name : addressed) {
        if (name.startsWith(u"lo"_s))
            continue;
        const auto current = now.constFind(name);
        const auto previous = before.constFind(name);
        if (current == now.cend() || previous == before.cend())
            continue;
        flows.append({name, double(counterDelta(previous->in, current->in, bits)) / dt.count(),
                      double(counterDelta(previous->out, current->out, bits)) / dt.count()});
    }
    return flows;
}
