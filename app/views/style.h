#pragma once

#include <QColor>
#include <QFont>

class QPalette;

// The text styles every view draws with, sized like the desktop utilities people know.
enum class Text { Title, Title2, Title3, Headline, Body, Callout, Subheadline, Footnote, Caption, Caption2 };

// The style's font; sizes are in pixels so a view is the same size whatever the screen's DPI setting.
// The system's sans-serif draws digits of equal width, so figures that change in place do not jitter.
QFont font(Text style, QFont::Weight weight = QFont::Normal);

namespace colors {
inline const QColor green{0x34, 0xC7, 0x59};
inline const QColor orange{0xFF, 0x95, 0x00};
inline const QColor red{0xFF, 0x3B, 0x30};

// Text colour of the palette at 55 % and 30 %.
QColor secondary(const QPalette& p);
QColor tertiary(const QPalette& p);
// The palette's highlight.
QColor accent(const QPalette& p);
} // namespace colors
