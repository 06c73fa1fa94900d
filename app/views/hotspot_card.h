#pragma once

#include <QWidget>

class HotspotUsage;
class Label;

// Phone-hotspot traffic today, this month and this session, against the monthly limit. Shown while
// tethered or when the month has any traffic.
class HotspotCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HotspotCard)

public:
    explicit HotspotCard(HotspotUsage& usage, QWidget* parent = nullptr);

private:
    class Meter;

    void sync();

    HotspotUsage& usage_;
    Label* icon_;
    Label* totals_;
    Label* session_;
    Meter* meter_;
    Label* share_;
};
