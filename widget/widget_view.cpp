#include "widget/widget_view.h"

#include "common/ping_alarm.h"
#include "common/texts.h"
#include "widget/glyphs.h"
#include "widget/w_format.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <functional>

using namespace Qt::StringLiterals;
using Role = Item::Role;

namespace {

constexpr qreal padding = 16;
constexpr qreal spacing = 6;
constexpr qreal corner = 20;
constexpr qreal iconSize = 12;
constexpr qreal dotSize = 6;
constexpr qreal itemGap = 8;
constexpr int maxRows = 4;

QFont widgetFont(int px, QFont::Weight weight = QFont::Normal) {
    QFont f;
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

QFont callout(QFont::Weight w = QFont::Normal) {
    return widgetFont(12, w);
}
QFont caption(QFont::Weight w = QFont::Normal) {
    return widgetFont(10, w);
}
QFont caption2(QFont::Weight w = QFont::Normal) {
    return widgetFont(10, w);
}
QFont bigNumber() {
    return widgetFont(38, QFont::DemiBold);
}

QColor faded(const QPalette& p, float alpha) {
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(alpha);
    return c;
}
QColor secondary(const QPalette& p) {
    return faded(p, 0.55f);
}
QColor tertiary(const QPalette& p) {
    return faded(p, 0.30f);
}

qreal lineHeight(const QFont& f) {
    return QFontMetricsF(f).height();
}

qreal textWidth(const QFont& f, const QString& s) {
    return QFontMetricsF(f).horizontalAdvance(s);
}

// A text item whose top-left corner is `at`, shortened with an ellipsis to fit `maxWidth`.
Item text(Role role, const QString& s, const QFont& f, const QColor& c, QPointF at, qreal maxWidth) {
    const QFontMetricsF fm(f);
    const QString shown = fm.horizontalAdvance(s) <= maxWidth ? s : fm.elidedText(s, Qt::ElideRight, maxWidth);
    Item i;
    i.role = role;
    i.text = shown;
    i.font = f;
    i.color = c;
    i.rect = QRectF(at, QSizeF(fm.horizontalAdvance(shown), fm.height()));
    i.baseline = at.y() + fm.ascent();
    return i;
}

Item shape(Role role, const QRectF& r, const QColor& c) {
    Item i;
    i.role = role;
    i.rect = r;
    i.color = c;
    return i;
}

// One child of the column: its height, or flexible when absent, and how to place it at a top edge.
struct Child {
    std::optional<qreal> height;
    std::function<void(qreal top)> place;
};

// Stacks the children 6 points apart inside `box`; flexible children share what is left, never below zero.
void column(const QList<Child>& children, const QRectF& box) {
    qreal fixed = spacing * qreal(children.size() - 1);
    int flexible = 0;
    for (const Child& c : children) {
        if (c.height)
            fixed += *c.height;
        else
            ++flexible;
    }
    const qreal share = flexible ? std::max(0.0, (box.height() - fixed) / flexible) : 0;
    qreal y = box.top();
    for (const Child& c : children) {
        if (c.place)
            c.place(y);
        y += c.height.value_or(share) + spacing;
    }
}

class Layout {
public:
    Layout(const QPalette& p, const QRectF& box)
        : p_(p)
        , box_(box) {}

    QList<Item> items;

    Child header(const Snapshot& s) {
        const qreal h = std::max(lineHeight(caption(QFont::DemiBold)), iconSize);
        return {h, [this, &s, h](qreal top) {
                    qreal right = box_.right();
                    const qreal iconTop = top + (h - iconSize) / 2;
                    if (s.hotspot) {
                        right -= iconSize;
                        items.append(shape(Role::PhoneIcon, {right, iconTop, iconSize, iconSize},
                                           p_.color(QPalette::WindowText)));
                        right -= spacing;
                    }
                    if (s.exit) {
                        right -= iconSize;
                        items.append(
                            shape(Role::ExitIcon, {right, iconTop, iconSize, iconSize}, p_.color(QPalette::Highlight)));
                        right -= spacing;
                    }
                    const QFont f = caption(QFont::DemiBold);
                    items.append(text(Role::Title, u"Tarnwick"_s, f, secondary(p_),
                                      {box_.left(), top + (h - lineHeight(f)) / 2}, right - box_.left()));
                }};
    }

    // The first host's ping large, "ms" on the same baseline, its name below.
    QList<Child> bigNumber(const HostPing& h) {
        const QFont big = ::bigNumber();
        const QFontMetricsF fm(big);
        // Digits have no descender: the line ends a little below the baseline, not at the font's descent.
        const qreal height = fm.ascent() + fm.descent() / 3;
        return {
            {height,
             [this, h, big](qreal top) {
                 Item n = text(Role::BigMs, wMs(h.ms), big, pingColor(h.ms), {box_.left(), top}, box_.width());
                 const QFont f = caption();
                 Item unit = text(Role::MsUnit, u"ms"_s, f, secondary(p_),
                                  {n.rect.right() + 2, n.baseline - QFontMetricsF(f).ascent()}, box_.width());
                 items.append(n);
                 items.append(unit);
             }},
            {lineHeight(caption()),
             [this, h](qreal top) {
                 items.append(
                     text(Role::FirstName, h.name, caption(), secondary(p_), {box_.left(), top}, box_.width()));
             }},
        };
    }

    // Dot, name, flexible space and the ping, centred on one line.
    Child row(const HostPing& h) {
        const qreal height = std::max(lineHeight(callout()), dotSize);
        return {height, [this, h, height](qreal top) {
                    const qreal mid = top + height / 2;
                    items.append(shape(Role::Dot, {box_.left(), mid - dotSize / 2, dotSize, dotSize}, pingColor(h.ms)));
                    const QFont bold = callout(QFont::DemiBold);
                    const QString ms = wMs(h.ms) + u" ms"_s;
                    const qreal msWidth = textWidth(bold, ms);
                    const qreal msLeft = box_.right() - msWidth;
                    const qreal nameLeft = box_.left() + dotSize + itemGap;
                    items.append(text(Role::RowName, h.name, callout(), p_.color(QPalette::WindowText),
                                      {nameLeft, mid - lineHeight(callout()) / 2}, msLeft - itemGap - nameLeft));
                    items.append(text(Role::RowMs, ms, bold, p_.color(QPalette::WindowText),
                                      {msLeft, mid - lineHeight(bold) / 2}, msWidth));
                }};
    }

    // The rates, and today's hotspot data at the right end, in the medium weight. Rates too wide for one line
    // (a fast link on the small widget) take two. When the last rates line is too short for the data it moves
    // to the right end of the age line, where there is room.
    QList<Child> footer(const Snapshot& s, Timestamp now) {
        const QFont f = caption2(QFont::Medium);
        const qreal h = lineHeight(f);
        const QString down = u"↓ "_s + wRate(s.down);
        const QString up = u"↑ "_s + wRate(s.up);
        const bool wrap = textWidth(f, down) + itemGap + textWidth(f, up) > box_.width();
        // One rate or both on a line from the left edge; the rest of the line is left for the hotspot data.
        const auto rates = [this, f](QList<std::pair<Role, QString>> parts) {
            return [this, f, parts](qreal top) {
                qreal left = box_.left();
                for (const auto& [role, t] : parts) {
                    const Item i = text(role, t, f, secondary(p_), {left, top}, box_.right() - left);
                    items.append(i);
                    left = i.rect.right() + itemGap;
                }
                hotspotRoom_ = box_.right() - left;
                ratesTop_ = top;
            };
        };
        QList<Child> lines;
        if (wrap)
            lines = {{h, rates({{Role::Down, down}})}, {h, rates({{Role::Up, up}})}};
        else
            lines = {{h, rates({{Role::Down, down}, {Role::Up, up}})}};
        lines.append(
            {h, [this, &s, now, f](qreal top) {
                 const Item age = text(Role::Age, relativeAge(s.time, now), caption2(), tertiary(p_),
                                       {box_.left(), top}, box_.width());
                 items.append(age);
                 if (!s.hotspot)
                     return;
                 const QString today = byteCount(s.hotspotToday) + u" dziś"_s;
                 const qreal w = textWidth(f, today);
                 if (w <= hotspotRoom_) {
                     items.append(text(Role::Hotspot, today, f, secondary(p_), {box_.right() - w, ratesTop_}, w));
                     return;
                 }
                 const qreal room = box_.right() - age.rect.right() - itemGap;
                 const qreal shown = std::min(w, room);
                 items.append(text(Role::Hotspot, today, f, secondary(p_), {box_.right() - shown, top}, shown));
             }});
        return lines;
    }

private:
    const QPalette& p_;
    QRectF box_;
    qreal hotspotRoom_ = 0;
    qreal ratesTop_ = 0;
};

} // namespace

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    p.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf2));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xff));
    return p;
}

std::optional<Family> familyNamed(const QString& name) {
    if (name == "small"_L1)
        return Family::Small;
    if (name == "medium"_L1)
        return Family::Medium;
    return std::nullopt;
}

QSizeF familySize(Family f) {
    return f == Family::Small ? QSizeF(170, 170) : QSizeF(364, 170);
}

QList<Item> WidgetView::layout(const QPalette& p, Timestamp now) const {
    const QRectF whole(QPointF(0, 0), familySize(family));
    const QRectF box = whole.adjusted(padding, padding, -padding, -padding);
    Layout l(p, box);
    if (!e.snap) {
        const QFont f = callout();
        Item m = text(Role::Message, u"Uruchom Tarnwick"_s, f, secondary(p), {}, box.width());
        m.rect.moveCenter(whole.center());
        m.baseline = m.rect.top() + QFontMetricsF(f).ascent();
        return {m};
    }
    const Snapshot& s = *e.snap;
    QList<Child> children{l.header(s)};
    if (family == Family::Small && !s.hosts.isEmpty()) {
        children.append({std::nullopt, {}});
        children.append(l.bigNumber(s.hosts.first()));
    } else {
        for (const HostPing& h : s.hosts.mid(0, maxRows))
            children.append(l.row(h));
        children.append({std::nullopt, {}});
    }
    children.append(l.footer(s, now));
    column(children, box);
    return l.items;
}

void WidgetView::paint(QPainter& painter, const QPalette& p, Timestamp now) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF whole(QPointF(0, 0), familySize(family));
    painter.setPen(QPen(faded(p, 0.12f), 1));
    painter.setBrush(p.color(QPalette::Window));
    painter.drawRoundedRect(whole.adjusted(0.5, 0.5, -0.5, -0.5), corner, corner);
    painter.setClipRect(whole);
    for (const Item& i : layout(p, now)) {
        switch (i.role) {
        case Role::ExitIcon:
            drawExitGlyph(painter, i.rect, i.color);
            break;
        case Role::PhoneIcon:
            drawPhoneGlyph(painter, i.rect, i.color);
            break;
        case Role::Dot:
            painter.setPen(Qt::NoPen);
            painter.setBrush(i.color);
            painter.drawEllipse(i.rect);
            break;
        default:
            painter.setFont(i.font);
            painter.setPen(i.color);
            painter.drawText(QPointF(i.rect.left(), i.baseline), i.text);
            break;
        }
    }
    painter.restore();
}

QImage WidgetView::render(const QPalette& p, Timestamp now, qreal scale) const {
    const QSizeF size = familySize(family) * scale;
    QImage image(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, p, now);
    return image;
}
