#pragma once

#include "core/monitor.h"
#include "core/panel_state.h"

#include <QObject>
#include <QPointer>

class AboutWindow;
class FloatingPanel;
class Panel;
class Popover;
class QProcessEnvironment;
class SettingsWindow;
class StatusItem;
class QTimer;
class QWheelEvent;

// The wheel's vertical travel in points, negative towards later content; a wheel without fine steps moves
// ten points a notch.
double wheelDelta(const QWheelEvent& wheel);

// The tray program: owns the monitor, the tray icon, the popover, the pinned and mini panels and the
// settings and about windows, and carries out every command the views send.
class App final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(App)

public:
    // Starts a program without waiting for it.
    using Launcher = std::function<void(const QString& program, const QProcessEnvironment& environment)>;

    // What the program reads the desktop through; tests replace them.
    struct Deps {
        Deps();
        Monitor::Deps monitor;
        Preferences prefs;
        std::function<Qt::KeyboardModifiers()> modifiers;
        Launcher launch;
        // Ends the program once the hotspot totals are saved.
        std::function<void()> quit;
    };

    explicit App(Deps deps, QObject* parent = nullptr);
    ~App() override;

    Monitor& monitor() { return *m_; }
    PanelState& panelState() { return *panelState_; }
    StatusItem& item() { return *item_; }
    Popover& popover() { return *popover_; }
    FloatingPanel& mini();
    FloatingPanel& pinnedPanel();
    SettingsWindow* settings() const { return settings_; }
    AboutWindow* about() const { return about_; }

    // Shows the tray icon and the restored panels and starts the refresh.
    void launch();
    // A click on the tray icon.
    void toggle();
    // The commands of the views: "gping", "refresh", "mini", "pin", "settings", "about", "quit".
    void act(const QString& id);
    // Draws the newest figures into the tray icon.
    void title();
    // After a change of screens or a wake: closes the popover and pulls the visible panels back onto a screen.
    void fixWindows();
    // Forgets the panels' positions, the pinned and mini state and the panel height.
    void resetWindows();
    // Whether the advanced view is on screen.
    bool advancedActive() const;
    // Whether the pinned panel stands in for the tray icon, which no tray shows.
    bool standingIn() const { return standIn_; }
    // One look for a tray, every second while there is none.
    void waitForTray();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A command of the tray icon's menu.
    void choose(const QString& id);
    void trayChanged(bool shown);
    // `act` for the views to hold; it outlives the application quietly.
    std::function<void(const QString&)> commands();
    void pin();
    void setMini(bool on);
    void openWindow(QWidget* window);
    void terminate();
    void watchScreens();
    // The panels part of `fixWindows`, for the pass once the window manager has settled after the start.
    void keepPanelsOnScreen();

    Deps deps_;
    Preferences prefs_;
    Monitor* m_;
    PanelState* panelState_;
    StatusItem* item_;
    Popover* popover_;
    Panel* popoverPanel_ = nullptr;
    Panel* pinnedView_ = nullptr;
    SettingsWindow* settings_ = nullptr;
    AboutWindow* about_ = nullptr;
    FloatingPanel* mini_ = nullptr;
    FloatingPanel* pinned_ = nullptr;
    // Polls for a tray while the desktop has none.
    QTimer* trayPoll_;
    int trayWaits_ = 0;
    bool standIn_ = false;
};
