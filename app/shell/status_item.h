#pragma once

#include "shell/bar_image.h"

#include <QObject>

class QMenu;
class QSystemTrayIcon;

// The program's icon in the system tray: the latency with its alarm colour and the hotspot and exit marks
// drawn square, the rates in the tooltip, refresh and quit in its menu.
class StatusItem final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusItem)

public:
    explicit StatusItem(std::optional<QImage> phone, QObject* parent = nullptr);
    ~StatusItem() override;

    const QSystemTrayIcon& tray() const { return *tray_; }

    // Shows the newest figures; the icon is drawn again only when its text, colour or marks change.
    void update(double down, double up, const QString& host, std::optional<double> ms, BarMarks marks);
    void setVisible(bool visible);
    // Where the tray put the icon; empty when the tray does not say.
    QRect geometry() const;

signals:
    void clicked();
    void refreshRequested();
    void quitRequested();

private:
    BarImage bar_;
    QMenu* menu_;
    QSystemTrayIcon* tray_;
    std::optional<std::pair<Latency, BarMarks>> shown_;
};
