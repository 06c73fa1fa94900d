#pragma once

#include "views/label.h"

#include <QAbstractButton>

// A button that is just a symbol in a tone, with padding around it.
class SymbolButton final : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SymbolButton)

public:
    SymbolButton(const QString& symbol, int size, int padding, QWidget* parent = nullptr);

    const QString& symbolName() const { return symbol_; }
    void setSymbol(const QString& symbol);
    Label::Tone tone() const { return tone_; }
    void setTone(Label::Tone tone);

    QSize sizeHint() const override { return {size_ + 2 * padding_, size_ + 2 * padding_}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    int size_;
    int padding_;
    Label::Tone tone_ = Label::Tone::Secondary;
};
