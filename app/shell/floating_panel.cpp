#include "shell/floating_panel.h"

#include "common/sticky.h"
#include "common/window_system.h"
#include "shell/window_place.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

FloatingPanel::FloatingPanel(QWidget* content, Preferences prefs, Preferences::Frame frame, const Fallback& fallback)
    : QWidget(nullptr, windowSystem::floatingFlags)
    , prefs_(std::move(prefs))
    , frame_(frame) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);
    layout->activate();
    setFocusProxy(content);
    winId();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        placeWindow(*this, fallback(screen->availableGeometry(), size()));
    // Standing at once where the user left it spares a visible jump when the saved frame takes over.
    restore();
    // The content's own presses arrive here first, so a drag can start on any child, buttons included.
    qApp->installEventFilter(this);
    QTimer::singleShot(500, this, &FloatingPanel::startAutosave);
}

FloatingPanel::~FloatingPanel() {
    qApp->removeEventFilter(this);
}

void FloatingPanel::showInactive() {
    show();
    raise();
}

void FloatingPanel::bringForward() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    setFocus();
}

bool FloatingPanel::restore() {
    // Where the compositor places windows, a saved place means nothing.
    const std::optional<QRect> saved = windowSystem::placesWindows() ? prefs_.frame(frame_) : std::nullopt;
    if (!saved)
        return false;
    placeWindow(*this, saved->topLeft());
    return true;
}

void FloatingPanel::startAutosave() {
    autosave_ = true;
}

void FloatingPanel::save() {
    if (!windowSystem::placesWindows())
        return;
    // A frame that lies on no screen is a window system's placeholder, not a place the user chose.
    const QRect frame = geometry();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (std::none_of(screens.cbegin(), screens.cend(),
                     [&](const QScreen* s) { return s->geometry().intersects(frame); }))
        return;
    prefs_.setFrame(frame_, frame);
}

bool FloatingPanel::dragsPanel(QWidget* target) const {
    for (const QWidget* w = target; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
            qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
            qobject_cast<const QPlainTextEdit*>(w))
            return false;
    }
    return true;
}

void FloatingPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && onCancel) {
        onCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FloatingPanel::setVisible(bool visible) {
    // Sway keeps X11 windows stacked in the order they were made, whatever it draws on top: a window made anew
    // at each showing stays above the X11 windows that came since, and gets the clicks meant for it.
    if (visible && !isVisible() && internalWinId() && windowSystem::managerMovesWindows())
        destroy();
    QWidget::setVisible(visible);
}

void FloatingPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (windowSystem::managerMovesWindows())
        placeWindow(*this, pos());
    // Floating readouts follow the user to every workspace, and window managers forget that on each hiding.
    pinToDesktop(*windowHandle());
    // A panel placed while hidden keeps that place once it shows.
    if (autosave_)
        save();
}

void FloatingPanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (autosave_ && !dragging_ && isVisible())
        save();
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return false;
    const auto* e = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (e->button() != Qt::LeftButton)
            return false;
        // A click into the inactive panel makes it the focus first, so keys work at once.
        if (!isActiveWindow()) {
            activateWindow();
            if (!focusWidget())
                setFocus(Qt::MouseFocusReason);
        }
        if (dragsPanel(w))
            press_ = Press{e->globalPosition(), pos(), w};
        return false;
    case QEvent::MouseMove: {
        if (!press_ || !(e->buttons() & Qt::LeftButton))
            return false;
        const QPointF travel = e->globalPosition() - press_->mouse;
        if (!dragging_ && std::hypot(travel.x(), travel.y()) < 2.0)
            return false;
        if (!dragging_) {
            dragging_ = true;
            // A button dragged by is not clicked when the pointer comes up.
            if (auto* button = qobject_cast<QAbstractButton*>(press_->target))
                button->setDown(false);
            // Where the program cannot place windows, the compositor moves them.
            if (!windowSystem::placesWindows() || windowSystem::managerMovesWindows()) {
                press_.reset();
                dragging_ = false;
                windowHandle()->startSystemMove();
                return true;
            }
        }
        move(press_->origin + travel.toPoint());
        return true;
    }
    default:
        if (e->button() != Qt::LeftButton)
            return false;
        press_.reset();
        if (dragging_) {
            dragging_ = false;
            save();
        }
        return false;
    }
}
