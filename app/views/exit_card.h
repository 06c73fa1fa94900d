#pragma once

#include "details/tailnet.h"

#include <QWidget>

class Label;

// How traffic leaves the machine while Tailscale runs: through an exit node (which, by which path, how
// far) or directly. Hidden unless Tailscale is running.
class ExitCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExitCard)

public:
    explicit ExitCard(QWidget* parent = nullptr);

    void setTailnet(const std::optional<Tailnet>& t);

private:
    Label* icon_;
    Label* title_;
    Label* detail_;
};
