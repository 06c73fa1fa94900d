#pragma once

#include "views/style.h"

#include <QWidget>
#include <optional>

// One line of text in a text style and a palette-derived tone, with an optional leading symbol; cut with
// an ellipsis when narrower than the text.
class Label final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Label)

public:
    enum class Tone { Primary, Secondary, Accent, White };

    explicit Label(Text style, QFont::Weight weight = QFont::Normal, Tone tone = Tone::Primary,
                   QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    // Drawn right after the text and never cut: when room is short, only the text gives way.
    const QString& tail() const { return tail_; }
    void setTail(const QString& tail);
    void setTone(Tone tone);
    // A fixed colour instead of the tone; absent returns to the tone.
    void setColor(std::optional<QColor> color);
    // The colour the text is drawn in now.
    QColor color() const;
    const QString& symbolName() const { return symbol_; }
    void setSymbol(const QString& name);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int symbolSize() const;
    int symbolSpace() const;

    QString text_;
    QString tail_;
    QString symbol_;
    Tone tone_;
    std::optional<QColor> color_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

// A colour of the palette for a tone.
QColor toneColor(Label::Tone tone, const QPalette& p);
