#pragma once

#include "core/sample.h"

#include <QWidget>

class QPainter;

// Five minutes of one host's pings as bars, newest at the right edge, lost pings as full red bars.
class Bars final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Bars)

public:
    explicit Bars(QWidget* parent = nullptr);

    void setSamples(const Samples& samples);

    // Slots across the chart: one per tick of the history.
    static int slotCount();
    // The largest answered time, at least 1.
    static double scale(const Samples& samples);
    // The scale as the corner text, "max 35 ms".
    static QString caption(const Samples& samples);
    static void paint(QPainter& p, const QRectF& r, const Samples& samples, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Samples samples_;
};
