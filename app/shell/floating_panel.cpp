#include "shell/floating_panel.h"

#include "common/sticky.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

FloatingPanel::FloatingPanel(QWidget* content, Preferences prefs, Preferences::Frame frame, const Fallback& fallback)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
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
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(fallback(screen->availableGeometry(), size()));
    // Standing at once where the user left it spares a visible jump when the saved frame takes over.
    restore();
    // The content's own presses arrive here first, so a drag can start on any child, buttons included.
    qApp->installEventFilter(this);
    QTimer::singleShot(500, this, &FloatingPanel::startAutosave);
    // Floating readouts follow the user to every workspace.
    winId();
    pinToDesktop(*windowHandle());
}

FloatingPanel::~FloatingPanel() {
    qApp->removeEventFilter(this);
}

void FloatingPanel::showInactive() {
    show();
    raise();
}

bool FloatingPanel::restore() {
    const std::optional<QRect> saved = prefs_.frame(frame_);
    if (!saved)
        return false;
    move(saved->topLeft());
    return true;
}

void FloatingPanel::startAutosave() {
    autosave_ = true;
}

void FloatingPanel::save() {
    prefs_.setFrame(frame_, geometry());
}

void FloatingPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && onCancel) {
        onCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FloatingPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
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
