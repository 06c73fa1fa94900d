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
    // Room for the symbol and an ellipsis: narrower than its text, the label is cut and the tooltip holds it.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int symbolSize() const;
    int symbolSpace() const;

    QString id_;
    QString symbol_;
    bool selected_ = false;
};
