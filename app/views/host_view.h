#pragma once

#include <QWidget>

class Bars;
class Cell;
class Label;
class QualityRow;
class Monitor;
class TabButton;

// One host's tab: quality, the minute's figures and rates, the chart of five minutes or of the day `width`
// wide, and the host's latest outages.
class HostView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostView)

public:
    enum class Range { FiveMinutes, Day };

    HostView(Monitor& m, int width, QWidget* parent = nullptr);

    void sync(const QString& host);
    void setRange(Range range);

    // Outages listed at most.
    static constexpr int outagesShown = 5;

private:
    Monitor& m_;
    QString host_;
    Range range_ = Range::FiveMinutes;
    QualityRow* quality_;
    QList<Cell*> cells_;
    TabButton* fiveMinutes_;
    TabButton* day_;
    Bars* bars_;
    QList<Label*> outages_;
};
