#pragma once

#include "widget/provider.h"
#include "widget/snapshot_watch.h"
#include "widget/widget_view.h"

#include <QRasterWindow>
#include <QTimer>
#include <memory>
#include <optional>

// The widget on the desktop: a frameless rounded window below the others, on every workspace, out of the
// taskbar. It redraws when the snapshot file changes, when the timeline runs out and when the age it shows
// would read differently; in between it does nothing. Dragged anywhere, it stays where it was put.
class DesktopWidget final : public QRasterWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopWidget)

public:
    explicit DesktopWidget(Family family);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    void reload();
    void showAge();
    void restorePosition();
    QString positionKey() const;

    WidgetView view_;
    Provider provider_;
    std::unique_ptr<SnapshotWatch> watch_;
    QTimer reload_;
    QTimer age_;
    QTimer save_;
    // Where the pointer holds the window while it is dragged by hand, without the window manager's help.
    std::optional<QPoint> grip_;
};
