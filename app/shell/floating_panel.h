#pragma once

#include "core/preferences.h"

#include <QPointer>
#include <QWidget>
#include <functional>

// A borderless always-on-top panel that shows without taking focus, can be dragged by any point of its
// content, and keeps its position under one of the saved frames.
class FloatingPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingPanel)

public:
    // Where the panel first stands, from the screen's usable area and the panel's size.
    using Fallback = std::function<QPoint(const QRect& screen, QSize size)>;

    // Takes `content`, which sizes the panel, and stands where the panel was saved, else at `fallback`.
    // Half a second later it starts saving every move.
    FloatingPanel(QWidget* content, Preferences prefs, Preferences::Frame frame, const Fallback& fallback);
    ~FloatingPanel() override;

    // Called on Escape.
    std::function<void()> onCancel;

    // Brings the panel to the front without taking the focus.
    void showInactive();
    // Shows the panel, un-minimised, in front and with the focus.
    void bringForward();
    // Moves the panel to its saved frame; false when none is saved.
    bool restore();
    // From now on every move and every showing is saved.
    void startAutosave();
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void save();
    // Whether a press on `target` starts a drag of the whole panel rather than the widget's own.
    bool dragsPanel(QWidget* target) const;

    Preferences prefs_;
    Preferences::Frame frame_;
    bool autosave_ = false;
    // A press inside the panel: where the pointer and the panel were.
    struct Press {
        QPointF mouse;
        QPoint origin;
        QPointer<QWidget> target;
    };
    std::optional<Press> press_;
    bool dragging_ = false;
};
