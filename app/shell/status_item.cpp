#include "shell/status_item.h"

#include "core/formatters.h"

#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

StatusItem::StatusItem(std::optional<QImage> phone, QObject* parent)
    : QObject(parent)
    , bar_(std::move(phone))
    , menu_(new QMenu)
    , tray_(new QSystemTrayIcon(this)) {
    QAction* refresh = menu_->addAction(u"Odśwież"_s, this, &StatusItem::refreshRequested);
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    QAction* quit = menu_->addAction(u"Zakończ Tarnwick"_s, this, &StatusItem::quitRequested);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    tray_->setContextMenu(menu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit clicked();
    });
    update(0, 0, QString(), std::nullopt, {});
}

StatusItem::~StatusItem() {
    delete menu_;
}

void StatusItem::update(double down, double up, const QString& host, std::optional<double> ms, BarMarks marks) {
    const QString tip = u"↓ "_s + rate(down) + u"  ↑ "_s + rate(up) + u"\n"_s +
                        (host.isEmpty() ? QString() : host + u": "_s) + ::ms(ms);
    if (tray_->toolTip() != tip)
        tray_->setToolTip(tip);
    const std::pair<Latency, BarMarks> facts{latency(ms), marks};
    if (shown_ == facts)
        return;
    shown_ = facts;
    QIcon icon;
    // Tray bars are dark on most desktops; the figures' rim keeps them legible on light ones too.
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    for (const int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(bar_.trayImage(ms, marks, side, palette)));
    tray_->setIcon(icon);
}

void StatusItem::setVisible(bool visible) {
    tray_->setVisible(visible);
}

QRect StatusItem::geometry() const {
    return tray_->geometry();
}
