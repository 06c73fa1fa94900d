#pragma once

#include <QWidget>

class Bars;
class Cell;
class QualityRow;
class Monitor;

// One host's tab: quality, the minute's figures and rates, and the five-minute chart `width` wide.
class HostView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostView)

public:
    HostView(Monitor& m, int width, QWidget* parent = nullptr);

    void sync(const QString& host);

private:
    Monitor& m_;
    QualityRow* quality_;
    QList<Cell*> cells_;
    Bars* bars_;
};
