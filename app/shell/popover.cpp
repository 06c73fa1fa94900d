#include "shell/popover.h"

#include "shell/placement.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

Popover::Popover(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
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

void Popover::showAt(const QRect& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    layout()->activate();
    if (screen)
        move(placement::popoverOrigin(anchor, size(), screen->availableGeometry()));
    show();
    raise();
    activateWindow();
    setFocus(Qt::PopupFocusReason);
}

void Popover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
