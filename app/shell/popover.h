#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <optional>

// The main panel dropped down from the tray icon: a borderless window next to the icon that Escape, a click
// outside and a second click on the icon close.
class Popover final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Popover)

public:
    // Takes `content`, which sizes the popover.
    explicit Popover(QWidget* content, QWidget* parent = nullptr);

    // Opens next to `anchor` (the icon, or the point of the click on it, in screen coordinates), or by the
    // panel the screen reserves, or in the top-right corner; always inside the screen's usable area.
    void showAt(std::optional<QRect> anchor);
    // Whether it closed a moment ago because the user went elsewhere: the click that did that may be the one
    // on the icon, which must not open it again.
    bool justLeft() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    std::optional<QRect> anchor_;
    QElapsedTimer left_;
    bool activating_ = false;
};
