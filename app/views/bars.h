#pragma once

#include "core/minutes.h"
#include "core/sample.h"

#include <QWidget>

class QPainter;

// One host's round-trip times as bars, newest at the right edge: the five minutes of pings, or the last day
// by minute. Losses are full red bars.
class Bars final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Bars)

public:
    // One slot of the chart: a bar of `ms` with a faint whisker up to `peak`, a full red bar when `lost`,
    // nothing when it holds neither.
    struct Column {
        std::optional<double> ms;
        std::optional<double> peak;
        bool lost = false;
    };
    using Columns = QList<Column>;

    explicit Bars(QWidget* parent = nullptr);

    // Shows `columns` in `count` slots.
    void setColumns(const Columns& columns, int count);

    // Slots of the five-minute chart: one per tick of the history.
    static int slotCount();
    // Slots of the day chart: one per minute.
    static int daySlotCount();
    // One column per ping.
    static Columns columns(const Samples& samples);
    // One column per minute of the day before the minute `now` falls in: the minute's average with its
    // maximum, red when a ping of it was lost, empty without a row.
    static Columns columns(const QList<MinuteRow>& rows, Timestamp now);
    // The largest answered time or whisker, at least 1.
    static double scale(const Columns& columns);
    // The scale as the corner text, "max 35 ms".
    static QString caption(const Columns& columns);
    static void paint(QPainter& p, const QRectF& r, const Columns& columns, int count, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Columns columns_;
    int count_;
};
