#include "core/panel_state.h"

#include <algorithm>

PanelState::PanelState(Preferences prefs, QObject* parent)
    : QObject(parent)
    , prefs_(std::move(prefs))
    , expand_(std::max(0.0, prefs_.panelExpand())) {}

void PanelState::setExpand(double points) {
    prefs_.setPanelExpand(points);
    if (points == expand_)
        return;
    expand_ = points;
    emit changed();
}

void PanelState::setContentH(double points) {
    if (points == contentH_)
        return;
    contentH_ = points;
    emit changed();
}

void PanelState::setAtTop(bool top) {
    if (top == atTop_)
        return;
    atTop_ = top;
    emit changed();
}

double PanelState::limit() const {
    const std::optional<double> screen = screenHeight();
    if (!screen)
        return std::min(600.0, contentH_);
    const double room = *screen - 300.0;
    return contentH_ <= room ? contentH_ : room;
}

double PanelState::height() const {
    return std::min(limit(), compact + expand_);
}

bool PanelState::scroll(double dy) {
    const double lim = limit();
    if (dy < 0) {
        if (compact + expand_ >= lim)
            return false;
        setExpand(std::min(expand_ - dy, lim - compact));
        return true;
    }
    if (dy > 0 && atTop_ && expand_ > 0) {
        setExpand(std::max(0.0, std::min(expand_, lim - compact) - dy));
        return true;
    }
    return false;
}
