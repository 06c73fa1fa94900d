#pragma once

#include <QPalette>
#include <QPixmap>
#include <QWidget>

// The rounded, slightly translucent background of a floating window, with a faint edge so it stands out
// from any desktop, light or dark.
class Glass final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Glass)

public:
    explicit Glass(qreal radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void redraw(qreal dpr);

    // The shape is drawn once per size, ratio and palette: redrawing its curves every frame is the
    // costliest part of a small view.
    QPixmap cache_;
    QPalette cachedPalette_;
    qreal radius_;
};
