#pragma once

#include "core/preferences.h"

#include <QObject>
#include <functional>
#include <optional>

// How tall the advanced view may be: a compact base plus what the user added by scrolling, never taller
// than its content or the screen allows.
class PanelState final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PanelState)

public:
    static constexpr double compact = 560.0;

    explicit PanelState(Preferences prefs, QObject* parent = nullptr);

    double expand() const { return expand_; }
    // Stores the value and writes it to the preferences.
    void setExpand(double points);
    double contentH() const { return contentH_; }
    void setContentH(double points);
    bool atTop() const { return atTop_; }
    void setAtTop(bool top);

    // The tallest the advanced view may become.
    double limit() const;
    // The view's height now.
    double height() const;
    // Uses a vertical scroll (negative towards later content) to grow or shrink the view; false when the
    // scroll belongs to the content instead.
    bool scroll(double dy);

    // Height of the main screen's usable area, absent without a screen. The windowing layer sets it.
    std::function<std::optional<double>()> screenHeight = [] { return std::optional<double>(); };

signals:
    void changed();

private:
    Preferences prefs_;
    double expand_;
    double contentH_ = 300.0;
    bool atTop_ = true;
};
