#pragma once

#include <QWidget>

class Cell;
class ExitCard;
class QualityRow;
class Label;
class Monitor;
class QVBoxLayout;

// The overview tab: exit node and hotspot cards, every host's current time and quality, the rates and
// the latest network changes.
class Overview final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Overview)

public:
    explicit Overview(Monitor& m, QWidget* parent = nullptr);

    void sync();

private:
    class EventRow;

    Monitor& m_;
    QVBoxLayout* column_;
    ExitCard* exit_;
    QList<QualityRow*> hosts_;
    Cell* down_;
    Cell* up_;
    Label* recent_;
    QList<EventRow*> events_;
};
