#pragma once

#include <QAbstractButton>

// One command of the panel's menu: its title at the left, its shortcut's text at the right.
class MenuRow final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuRow)

public:
    MenuRow(const QString& title, const QString& hint, QWidget* parent = nullptr);

    const QString& hint() const { return hint_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString hint_;
};
