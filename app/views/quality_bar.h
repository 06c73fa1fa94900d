#pragma once

#include <QWidget>
#include <optional>

class QPainter;

// One round-trip time as a capsule: full when fast or lost, shrinking towards 300 ms, in the ping colour.
class QualityBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QualityBar)

public:
    explicit QualityBar(QWidget* parent = nullptr);

    void setValue(std::optional<double> ms);

    // Share of the width filled: all of it when lost, else 1 − ms/300, never below 4 %.
    static double fraction(std::optional<double> ms);
    static void paint(QPainter& p, const QRectF& r, std::optional<double> ms, const QPalette& palette);

    QSize sizeHint() const override { return {100, 10}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<double> value_;
};

// The quaternary fill behind bars and tracks.
QColor trackColor(const QPalette& p);
