#include "shell/popover.h"

#include "common/sticky.h"
#include "common/window_system.h"
#include "shell/placement.h"
#include "shell/window_place.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// A popup that closes on any click elsewhere where the window manager lets it take the keyboard; else a window
// of the program's own that closes when it loses the focus. On Wayland the compositor places it.
Qt::WindowFlags flags() {
    if (!windowSystem::placesWindows())
        return Qt::Tool | Qt::FramelessWindowHint;
    // A tool window: it lives only while the program has the focus.
    if (windowSystem::overXwayland())
        return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    return Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
}

} // namespace

Popover::Popover(QWidget* content, QWidget* parent)
    : QWidget(parent, flags()) {
    setAttribute(Qt::WA_TranslucentBackground);
    // The click that closes the popover is not passed on, so a click on the tray icon closes it for good
    // instead of opening it again.
    setAttribute(Qt::WA_NoMouseReplay);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);
    // The content's keys work at once, without a click into it first.
    setFocusProxy(content);
}

void Popover::showAt(std::optional<QRect> anchor) {
    anchor_ = anchor;
    // Sway keeps X11 windows stacked in the order they were made, whatever it draws on top: one made anew at each
    // showing stays above the X11 windows that came since, and gets the clicks meant for it.
    if (!isVisible() && internalWinId() && windowSystem::managerMovesWindows())
        destroy();
    create();
    windowHandle()->installEventFilter(this);
    // Styles and fonts settle the size only once polished: placing before that puts a taller panel off screen.
    ensurePolished();
    layout()->activate();
    adjustSize();
    place();
    // Where the window manager handles it: out of the task bar, and on the workspace the user is on.
    pinToDesktop(*windowHandle());
    show();
    raise();
    activateWindow();
    setFocus(Qt::PopupFocusReason);
    // The window manager takes the request only once it manages the window, that is once it is shown.
    activating_ = true;
}

void Popover::place() {
    const QPoint probe = anchor_ ? anchor_->center() : QCursor::pos();
    QScreen* screen = anchor_ ? QGuiApplication::screenAt(probe) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        placeWindow(*this, placement::popoverOrigin(anchor_, size(), screen->geometry(), screen->availableGeometry()));
}

bool Popover::justLeft() const {
    return left_.isValid() && left_.elapsed() < 300;
}

bool Popover::eventFilter(QObject* watched, QEvent* event) {
    if (activating_ && watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        activating_ = false;
        activateFromTray(*windowHandle());
    }
    return false;
}

bool Popover::event(QEvent* event) {
    // Where no grab tells it of a click elsewhere, losing the focus does.
    if (event->type() == QEvent::WindowDeactivate && isVisible()) {
        left_.start();
        close();
    } else if (event->type() == QEvent::MouseButtonPress &&
               !rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        // The popup closes on a press elsewhere, and the panel may still hear it as a click on the icon.
        left_.start();
    }
    return QWidget::event(event);
}

void Popover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Popover::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Content that grows keeps the edge by the icon where it was.
    if (isVisible())
        place();
}
