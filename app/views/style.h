#pragma once

#include "common/ping_alarm.h"

#include <QColor>
#include <QFont>

class QPalette;

// The text styles every view draws with, sized like the desktop utilities people know.
enum class Text { Title, Title2, Title3, Headline, Body, Callout, Subheadline, Footnote, Caption, Caption2 };

// The style's font; sizes are in pixels so a view is the same size whatever the screen's DPI setting.
// The system's sans-serif draws digits of equal width, so figures that change in place do not jitter.
QFont font(Text style, QFont::Weight weight = QFont::Normal);

// Green, orange and red are the ping colours of common/ping_alarm.h, which the widget draws with too.
namespace colors {
// Text colour of the palette at 55 % and 30 %.
QColor secondary(const QPalette& p);
QColor tertiary(const QPalette& p);
// The palette's highlight.
QColor accent(const QPalette& p);
} // namespace colors
