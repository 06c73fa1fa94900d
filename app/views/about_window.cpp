#include "views/about_window.h"

#include "core/globals.h"
#include "views/command_keys.h"
#include "views/divider.h"
#include "views/style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// The artwork lives in a static library, whose resources register only when asked to.
static void loadArtwork() {
    Q_INIT_RESOURCE(art);
}

namespace {

QLabel* text(const QString& s, const QFont& f, const QColor& color) {
    auto* l = new QLabel(s);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

// The logo's shape in the given colour; an empty picture when the artwork is missing.
QPixmap logo(int height, qreal dpr, const QColor& color) {
    loadArtwork();
    QSvgRenderer svg(u":/tarnwick/logo.svg"_s);
    if (!svg.isValid())
        return {};
    const QSizeF size = QSizeF(svg.defaultSize()).scaled(QSizeF(1000, height), Qt::KeepAspectRatio);
    QPixmap pixmap((size * dpr).toSize());
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    svg.render(&p, QRectF(QPointF(0, 0), size));
    // The shape takes the colour, then the colour's own transparency.
    QColor opaque = color;
    opaque.setAlpha(255);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(QRectF(QPointF(0, 0), size), opaque);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.fillRect(QRectF(QPointF(0, 0), size), QColor(0, 0, 0, color.alpha()));
    return pixmap;
}

} // namespace

QString aboutVersion(const QString& system, const QString& version, const QString& build) {
    QString line = system + u": "_s + version;
    if (build != version)
        line += u" b"_s + build;
    return line;
}

AboutWindow::AboutWindow(const QString& system, const std::function<void(const QString&)>& actions, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(u"O Tarnwick"_s);
    const QPalette pal = palette();
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(20, 20, 20, 20);
    v->setSpacing(16);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    auto* mark = new QLabel;
    mark->setObjectName(u"logo"_s);
    mark->setPixmap(logo(44, devicePixelRatioF(), colors::secondary(pal)));
    top->addWidget(mark, 0, Qt::AlignVCenter);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    lines->addWidget(text(u"Tarnwick"_s, ::font(Text::Title3, QFont::Bold), pal.color(QPalette::WindowText)));
    QLabel* versionLine = text(aboutVersion(system, version(), build()), ::font(Text::Caption), colors::secondary(pal));
    versionLine->setObjectName(u"version"_s);
    lines->addWidget(versionLine);
    lines->addWidget(text(u"Sieć pod okiem, prosto z zasobnika."_s, ::font(Text::Caption2), colors::tertiary(pal)));
    top->addLayout(lines);
    top->addStretch();
    v->addLayout(top);

    v->addWidget(new Divider);

    QLabel* description = text(u"Ping do wybranych hostów i prędkość sieci (down/up) w pasku menu. Mini okno, widżet i "
                               u"licznik danych hotspotu. Wszystko lokalnie, bez wysyłania danych."_s,
                               ::font(Text::Subheadline), colors::secondary(pal));
    description->setObjectName(u"description"_s);
    description->setWordWrap(true);
    v->addWidget(description);

    setFixedSize(340, v->totalHeightForWidth(340));
    addCommandKeys(this, actions);
}
