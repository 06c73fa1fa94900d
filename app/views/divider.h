#pragma once

#include <QWidget>

// A hairline across its width, in the text colour faded to `opacity` of a divider's usual strength.
class Divider final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Divider)

public:
    explicit Divider(double opacity = 1.0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double opacity_;
};
