#include "widget/provider.h"

using namespace Qt::StringLiterals;

Entry Provider::placeholder(Timestamp now) const {
    Snapshot s;
    s.time = now;
    s.down = 1'200'000;
    s.up = 300'000;
    s.hosts = {{QString(), u"1.1.1.1"_s, 23.0}};
    return {now, s};
}

void Provider::getSnapshot(Timestamp now, const std::function<void(const Entry&)>& completion) const {
    completion({now, Snapshot::read()});
}

void Provider::getTimeline(Timestamp now, const std::function<void(const Timeline&)>& completion) const {
    getSnapshot(now, [&](const Entry& e) {
        completion({{e}, now + std::chrono::duration_cast<Timestamp::duration>(reload)});
    });
}
