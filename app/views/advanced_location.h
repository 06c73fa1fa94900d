#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Asks for the permission without which the system hides the Wi-Fi network's name.
class AdvancedLocation final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedLocation)

public:
    explicit AdvancedLocation(QWidget* parent = nullptr);

    QPushButton* button() const { return button_; }

signals:
    void ask();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fade();

    QWidget* icon_;
    QLabel* why_;
    QPushButton* button_;
};
