#include "views/style.h"

#include <QPalette>

QFont font(Text style, QFont::Weight weight) {
    int px = 13;
    switch (style) {
    case Text::Title:
        px = 22;
        break;
    case Text::Title2:
        px = 17;
        break;
    case Text::Title3:
        px = 15;
        break;
    case Text::Headline:
        px = 13;
        if (weight == QFont::Normal)
            weight = QFont::DemiBold;
        break;
    case Text::Body:
        px = 13;
        break;
    case Text::Callout:
        px = 12;
        break;
    case Text::Subheadline:
        px = 11;
        break;
    case Text::Footnote:
    case Text::Caption:
    case Text::Caption2:
        px = 10;
        break;
    }
    QFont f;
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

namespace colors {

static QColor faded(const QPalette& p, double alpha) {
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(float(alpha));
    return c;
}

QColor secondary(const QPalette& p) {
    return faded(p, 0.55);
}

QColor tertiary(const QPalette& p) {
    return faded(p, 0.30);
}

QColor accent(const QPalette& p) {
    return p.color(QPalette::Highlight);
}

} // namespace colors
