#include "widget/desktop_widget.h"

#include "common/settings_file.h"
#include "common/sticky.h"
#include "common/window_system.h"
#include "widget/age_change.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

Timestamp now() {
    return std::chrono::system_clock::now();
}

// Milliseconds from now until `t`, at least 1, within what a timer can hold.
int msUntil(Timestamp t) {
    const double ms = std::ceil(between(now(), t).count() * 1000);
    return int(std::clamp(ms, 1.0, double(std::numeric_limits<int>::max())));
}

// The widget's own settings file, beside the application's.
std::unique_ptr<QSettings> settings() {
    return openSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        u"/Tarnwick/Widget.conf"_s);
}

} // namespace

DesktopWidget::DesktopWidget(Family family) {
    view_.family = family;
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    QSurfaceFormat format = requestedFormat();
    format.setAlphaBufferSize(8);
    setFormat(format);
    setTitle(u"Tarnwick"_s);
    resize(familySize(family).toSize());

    reload_.setSingleShot(true);
    age_.setSingleShot(true);
    // Fired on the second the age text changes; a coarse timer could wake early and redraw the old text.
    age_.setTimerType(Qt::PreciseTimer);
    save_.setSingleShot(true);
    save_.setInterval(500);
    connect(&reload_, &QTimer::timeout, this, &DesktopWidget::reload);
    connect(&age_, &QTimer::timeout, this, &DesktopWidget::showAge);
    connect(&save_, &QTimer::timeout, this, [this] {
        const auto s = settings();
        s->setValue(positionKey(), position());
        s->sync();
    });
    if (const auto file = Snapshot::url()) {
        watch_ = std::make_unique<SnapshotWatch>(*file);
        connect(watch_.get(), &SnapshotWatch::changed, this, &DesktopWidget::reload);
    }
    reload();
    restorePosition();
    pinToDesktop(*this);
}

void DesktopWidget::reload() {
    provider_.getTimeline(now(), [this](const Timeline& t) {
        view_.e = t.entries.first();
        reload_.start(msUntil(t.reloadAt));
    });
    showAge();
}

void DesktopWidget::showAge() {
    if (view_.e.snap)
        age_.start(msUntil(nextAgeChange(view_.e.snap->time, now())));
    else
        age_.stop();
    update();
}

void DesktopWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(QPoint(), size()), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    view_.paint(p, QGuiApplication::palette(), now());
}

void DesktopWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !startSystemMove())
        grip_ = event->globalPosition().toPoint() - position();
}

void DesktopWidget::mouseMoveEvent(QMouseEvent* event) {
    if (grip_ && (event->buttons() & Qt::LeftButton))
        setPosition(event->globalPosition().toPoint() - *grip_);
}

void DesktopWidget::mouseReleaseEvent(QMouseEvent*) {
    grip_.reset();
}

void DesktopWidget::moveEvent(QMoveEvent* event) {
    QRasterWindow::moveEvent(event);
    // Where the compositor places windows, the place it reports is not one to come back to.
    if (isVisible() && windowSystem::placesWindows())
        save_.start();
}

bool DesktopWidget::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange)
        update();
    return QRasterWindow::event(event);
}

QString DesktopWidget::positionKey() const {
    return view_.family == Family::Small ? u"small/position"_s : u"medium/position"_s;
}

void DesktopWidget::restorePosition() {
    if (!windowSystem::placesWindows())
        return;
    const QSize size = familySize(view_.family).toSize();
    const auto s = settings();
    const QPoint saved = s->value(positionKey()).toPoint();
    const QScreen* screen = QGuiApplication::screenAt(saved + QPoint(size.width() / 2, size.height() / 2));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        // A position saved on a screen that is gone is pulled onto one that is here.
        const QRect area = screen->availableGeometry();
        const QPoint fallback = area.topRight() + QPoint(-size.width() - 24, 24);
        const QPoint p = s->contains(positionKey()) ? saved : fallback;
        setPosition(std::clamp(p.x(), area.left(), std::max(area.left(), area.right() - size.width())),
                    std::clamp(p.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
}
