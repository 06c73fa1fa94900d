#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// A titled section of the details: the title above whatever is added to `body()`.
class Card final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Card)

public:
    explicit Card(const QString& title, QWidget* parent = nullptr);

    QString title() const;
    QVBoxLayout* body() const { return body_; }

private:
    QLabel* title_;
    QVBoxLayout* body_;
};
