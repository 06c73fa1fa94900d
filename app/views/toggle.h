#pragma once

#include <QAbstractButton>

// An on/off switch: a small track that fills with the accent colour and a knob that slides across.
class Toggle final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Toggle)

public:
    explicit Toggle(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {32, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
