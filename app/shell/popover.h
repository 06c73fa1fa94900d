#pragma once

#include <QWidget>

// The main panel dropped down from the tray icon: a borderless popup that any click outside closes.
class Popover final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Popover)

public:
    // Takes `content`, which sizes the popover.
    explicit Popover(QWidget* content, QWidget* parent = nullptr);

    // Opens next to `anchor` (screen coordinates), inside that screen's usable area.
    void showAt(const QRect& anchor);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
