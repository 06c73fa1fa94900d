#pragma once

#include <QString>
#include <QWidget>
#include <optional>

// One label/value row: an optional symbol and the label on the left, the value on the right edge. The label
// wraps when space runs short; the value stays on one line and loses its middle instead. A right click
// offers to copy the value.
class KVRow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KVRow)

public:
    explicit KVRow(QWidget* parent = nullptr);

    // `copy` is what the context menu puts on the clipboard; the value itself when absent.
    void set(const QString& k, const QString& v, const std::optional<QString>& symbol = std::nullopt,
             const std::optional<QString>& copy = std::nullopt);

    const QString& k() const { return k_; }
    const QString& v() const { return v_; }
    const std::optional<QString>& symbol() const { return symbol_; }
    const QString& copyText() const { return copy_; }

    // The value as drawn at the current width: on one line, shortened in the middle when it does not fit.
    QString shownValue() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Geometry {
        int labelX;
        int labelW;
        int valueW;
    };

    Geometry geometry(int width) const;

    QString k_;
    QString v_;
    std::optional<QString> symbol_;
    QString copy_;
};
