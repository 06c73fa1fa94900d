#pragma once

#include <QWidget>

class Label;

// A caption over a value, one cell of a figures grid.
class Cell final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cell)

public:
    explicit Cell(const QString& label, QWidget* parent = nullptr);

    QString label() const;
    QString value() const;
    void setValue(const QString& value);

private:
    Label* label_;
    Label* value_;
};
