#pragma once

#include "widget/entry.h"

#include <QList>
#include <functional>

// What the widget shows from now on, and when to ask again.
struct Timeline {
    QList<Entry> entries;
    Timestamp reloadAt;
};

// Hands the widget its entries. Keeps nothing: every call reads the snapshot file anew. A snapshot dated
// after `now` (beyond a clock correction) counts as none.
class Provider final {
public:
    // How long a timeline stays current when the file does not change.
    static constexpr Seconds reload{300.0};

    // Sample figures for previews, independent of the file.
    Entry placeholder(Timestamp now) const;
    void getSnapshot(Timestamp now, const std::function<void(const Entry&)>& completion) const;
    void getTimeline(Timestamp now, const std::function<void(const Timeline&)>& completion) const;
};
