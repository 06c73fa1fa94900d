#include "views/symbols.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

// The drawings live in a static library, whose resources register only when asked to.
static void loadDrawings() {
    Q_INIT_RESOURCE(symbols);
}

namespace {

// Only names whose meaning and shape the freedesktop themes share; everything else uses the bundled drawing
// (the themes' window-close is a bare cross, where the mini view wants its filled circle).
const QHash<QString, QString>& themeNames() {
    static const QHash<QString, QString> names{
        {u"wifi"_s, u"network-wireless-symbolic"_s},
        {u"iphone"_s, u"phone-symbolic"_s},
        {u"personalhotspot"_s, u"network-wireless-hotspot-symbolic"_s},
        {u"house"_s, u"user-home-symbolic"_s},
        {u"lock.shield"_s, u"security-high-symbolic"_s},
        {u"cloud"_s, u"weather-overcast-symbolic"_s},
    };
    return names;
}

QString bundled(const QString& name) {
    static const bool loaded = (loadDrawings(), true);
    Q_UNUSED(loaded);
    return u":/symbols/"_s + name + u".svg"_s;
}

std::optional<QString> themeName(const QString& name) {
    const QString theme = themeNames().value(name);
    if (theme.isEmpty() || !QIcon::hasThemeIcon(theme))
        return std::nullopt;
    return theme;
}

// The symbol's shape at `px` device pixels, in any colour; only its alpha is used.
QImage shape(const QString& name, int px) {
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (const auto theme = themeName(name)) {
        QPainter p(&image);
        p.drawPixmap(0, 0, QIcon::fromTheme(*theme).pixmap(px, px));
        return image;
    }
    QSvgRenderer svg(bundled(name));
    if (!svg.isValid())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(0, 0, px, px));
    return image;
}

} // namespace

QIcon symbol(const QString& name) {
    if (const auto theme = themeName(name))
        return QIcon::fromTheme(*theme);
    return QFile::exists(bundled(name)) ? QIcon(bundled(name)) : QIcon();
}

QPixmap symbolPixmap(const QString& name, int size, const QColor& tint, qreal dpr) {
    const int px = qMax(1, qRound(size * dpr));
    const QString key = u"symbol:%1:%2:%3"_s.arg(name).arg(px).arg(tint.rgba(), 0, 16);
    QPixmap cached;
    if (!QPixmapCache::find(key, &cached)) {
        QImage image = shape(name, px);
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), tint);
        p.end();
        cached = QPixmap::fromImage(image);
        QPixmapCache::insert(key, cached);
    }
    cached.setDevicePixelRatio(dpr);
    return cached;
}
