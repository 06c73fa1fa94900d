#pragma once

#include <QWidget>
#include <functional>

class Clock;
class Label;
class Monitor;
class QHBoxLayout;
class QTimer;
class QVBoxLayout;
class SymbolButton;

// The small always-on-top readout: rates, one sparkline row per host, and lines on the connection, the
// exit node and the five-minute peaks. A double click opens the panel; the close button or Escape closes.
class MiniView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MiniView)

public:
    MiniView(Monitor& m, std::function<void()> open, std::function<void()> close, QWidget* parent = nullptr);

    // The clock the age of the last network change is measured against.
    void setClock(const Clock& clock);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class HostLine;

    void changed();
    void sync();
    void syncAge();
    void setHover(bool on);

    Monitor& m_;
    std::function<void()> open_;
    std::function<void()> close_;
    const Clock* clock_;
    bool dirty_ = false;

    QHBoxLayout* header_;
    Label* down_;
    Label* up_;
    Label* exitBadge_;
    QVBoxLayout* column_;
    QList<HostLine*> hosts_;
    Label* connection_;
    Label* exitLine_;
    Label* peaks_;
    Label* age_;
    SymbolButton* closeButton_;
    QTimer* tick_;
};
