#pragma once

#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <optional>

class QPalette;
struct Tailnet;

// The marks the status item shows between the rates and the latency.
struct BarMarks {
    bool exit = false;    // traffic leaves through a Tailscale exit node
    bool hotspot = false; // the machine is tethered to a phone

    bool operator==(const BarMarks&) const = default;
};

// An exit node is in use only while Tailscale runs and names one.
BarMarks barMarks(const std::optional<Tailnet>& tailnet, bool hotspot);

// The latency as the status item writes it: whole milliseconds capped at 999, "x" when there was no answer.
struct Latency {
    QString text;
    bool alarm = false; // no answer, or slower than 200 ms

    bool operator==(const Latency&) const = default;
};

Latency latency(std::optional<double> ms);

// Draws the status item: both rates stacked on the left, the latency on the right and the phone and exit
// marks in fixed slots between them, so nothing moves when a mark comes or goes.
class BarImage final {
public:
    static constexpr qreal height = 22.0;
    static constexpr qreal dotW = 7.0;
    static constexpr qreal phoneW = 10.0;

    // `phone` is the hotspot glyph; without it the glyph slot stays empty.
    explicit BarImage(std::optional<QImage> phone = std::nullopt);

    qreal colW() const { return colW_; }
    qreal pingW() const { return pingW_; }
    QSizeF barSize() const;

    // The full-width image at the given device pixel ratio, drawn in the palette's text colour.
    QImage barImage(double down, double up, std::optional<double> ms, BarMarks marks, qreal dpr,
                    const QPalette& palette) const;
    // A square rendition of the same facts for trays that draw square icons: the latency on a chip that
    // turns red on alarm, the phone and the exit dot in the lower corners.
    QImage trayImage(std::optional<double> ms, BarMarks marks, int side) const;

private:
    QImage tinted(QSizeF size, qreal dpr, const QColor& color) const;

    QFont small_;
    QFont big_;
    qreal colW_;
    qreal pingW_;
    std::optional<QImage> phone_;
};
