#pragma once

#include "shell/bar_image.h"

#include <QObject>
#include <QPoint>
#include <QRect>

class QAction;
class QMenu;
class QSystemTrayIcon;
class StatusNotifierItem;

// The program's icon in the system tray: a status notifier item wherever the session has a watcher, the
// older embedded tray icon where it has none. The latency is drawn with its alarm colour and the marks, the
// rates go into the tooltip, and the menu reaches every window.
class StatusItem final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusItem)

public:
    // A menu entry: its label and the command it sends; an empty entry is a separator.
    struct Entry {
        QString label;
        QString id;
    };
    static const QList<Entry> entries;

    explicit StatusItem(std::optional<QImage> phone, QObject* parent = nullptr);
    ~StatusItem() override;

    // Shows the newest figures; the icon is drawn again only when its text, colour or marks change.
    void update(double down, double up, const QString& host, std::optional<double> ms, BarMarks marks);
    // Whether a tray shows the icon now.
    bool shown() const;
    // Looks again for an embedded tray when the session has no status notifier watcher.
    void poll();
    // Where the icon is, in screen coordinates: the point of the last click when the host told it, else the
    // icon's rectangle when the tray tells it.
    std::optional<QRect> anchor() const;

    QMenu& menu() { return *menu_; }
    StatusNotifierItem& notifierItem() { return *sni_; }

signals:
    void clicked();
    void chosen(const QString& id);
    void shownChanged(bool shown);

private:
    void useEmbedded(bool on);
    void changed();
    QIcon embeddedIcon() const;

    BarImage bar_;
    QMenu* menu_;
    StatusNotifierItem* sni_;
    QSystemTrayIcon* tray_ = nullptr;
    QList<QImage> icons_;
    QString tip_;
    std::optional<QPoint> clickedAt_;
    std::optional<std::pair<Latency, BarMarks>> drawn_;
    bool shown_ = false;
};
