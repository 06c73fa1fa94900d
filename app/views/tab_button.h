#pragma once

#include <QAbstractButton>

// One tab of the panel's strip: its label on a rounded accent fill when selected.
class TabButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabButton)

public:
    TabButton(const QString& id, const QString& label, const QString& symbol, QWidget* parent = nullptr);

    const QString& id() const { return id_; }
    bool selected() const { return selected_; }
    void setSelected(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int symbolSize() const;

    QString id_;
    QString symbol_;
    bool selected_ = false;
};
