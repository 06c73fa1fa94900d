#pragma once

#include "core/sample.h"

#include <QPainterPath>
#include <QWidget>

class QPainter;

// The last 30 pings as a line, larger times higher, broken at every lost ping.
class Sparkline final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Sparkline)

public:
    explicit Sparkline(QWidget* parent = nullptr);

    void setSamples(const Samples& samples);

    static QPainterPath path(const Samples& samples, const QSizeF& size);
    static void paint(QPainter& p, const QRectF& r, const Samples& samples, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Samples samples_;
};
