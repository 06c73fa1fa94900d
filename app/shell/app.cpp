#include "shell/app.h"

#include "core/globals.h"
#include "shell/floating_panel.h"
#include "shell/login_item.h"
#include "shell/placement.h"
#include "shell/popover.h"
#include "shell/status_item.h"
#include "shell/window_place.h"
#include "views/about_window.h"
#include "views/command_keys.h"
#include "views/glass.h"
#include "views/mini_view.h"
#include "views/panel.h"
#include "views/settings_window.h"
#include "views/symbols.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// The phone glyph cut to its own outline, so that it fills the slot it is drawn into.
std::optional<QImage> phoneGlyph() {
    const QIcon icon = symbol(u"iphone"_s);
    if (icon.isNull())
        return std::nullopt;
    const QImage image = icon.pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    if (ink.isEmpty())
        return std::nullopt;
    return image.copy(ink);
}

QWidget* inGlass(QWidget* content, qreal radius) {
    auto* glass = new Glass(radius);
    auto* layout = new QVBoxLayout(glass);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);
    glass->setFocusProxy(content);
    return glass;
}

std::optional<QRect> mainScreen() {
    if (const QScreen* s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return std::nullopt;
}

} // namespace

double wheelDelta(const QWheelEvent& wheel) {
    return wheel.pixelDelta().isNull() ? wheel.angleDelta().y() / 120.0 * 10.0 : wheel.pixelDelta().y();
}

App::Deps::Deps()
    : modifiers(QGuiApplication::queryKeyboardModifiers)
    , launch([](const QString& program, const QProcessEnvironment& environment) {
        QProcess p;
        p.setProgram(program);
        p.setProcessEnvironment(environment);
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.startDetached();
    })
    , quit(QCoreApplication::quit) {}

App::App(Deps deps, QObject* parent)
    : QObject(parent)
    , deps_(std::move(deps))
    , prefs_(deps_.prefs)
    , m_(nullptr)
    , panelState_(new PanelState(prefs_, this))
    , item_(nullptr)
    , popover_(nullptr)
    , trayPoll_(new QTimer(this)) {
    deps_.monitor.prefs = prefs_;
    deps_.monitor.usage.prefs = prefs_;
    m_ = new Monitor(std::move(deps_.monitor), this);
    panelState_->screenHeight = []() -> std::optional<double> {
        if (const auto screen = mainScreen())
            return screen->height();
        return std::nullopt;
    };
    item_ = new StatusItem(phoneGlyph(), this);
    popoverPanel_ = new Panel(*m_, prefs_, *panelState_, 340, commands());
    popover_ = new Popover(inGlass(popoverPanel_, 12));
    popover_->setWindowTitle(u"Tarnwick"_s);
    trayPoll_->setInterval(1000);
    connect(trayPoll_, &QTimer::timeout, this, &App::waitForTray);
}

App::~App() {
    qApp->removeEventFilter(this);
    delete settings_;
    delete about_;
    delete pinned_;
    delete mini_;
    delete popover_;
}

FloatingPanel& App::mini() {
    if (!mini_) {
        const QPointer self(this);
        auto* view = new MiniView(
            *m_,
            [self] {
                if (self)
                    self->toggle();
            },
            [self] {
                if (self)
                    self->setMini(false);
            });
        mini_ = new FloatingPanel(view, prefs_, Preferences::Frame::Mini, placement::miniOrigin);
        mini_->setWindowTitle(u"Tarnwick - mini"_s);
        mini_->onCancel = [self] {
            if (self)
                self->setMini(false);
        };
    }
    return *mini_;
}

FloatingPanel& App::pinnedPanel() {
    if (!pinned_) {
        const QPointer self(this);
        pinnedView_ = new Panel(*m_, prefs_, *panelState_, 340, commands());
        pinned_ =
            new FloatingPanel(inGlass(pinnedView_, 16), prefs_, Preferences::Frame::Pinned, placement::pinnedOrigin);
        pinned_->setWindowTitle(u"Tarnwick - panel"_s);
        pinned_->onCancel = [self] {
            // Standing in for the tray it is the program's only window: Escape must not pin it.
            if (self && !self->standIn_)
                self->act(u"pin"_s);
        };
    }
    return *pinned_;
}

void App::launch() {
    // First: the tray may list the item, and a session end reach us, before the windows are built.
    platform::onTermination(this, [this] { terminate(); });
    connect(item_, &StatusItem::clicked, this, &App::toggle);
    connect(item_, &StatusItem::chosen, this, &App::choose);
    connect(item_, &StatusItem::shownChanged, this, &App::trayChanged);
    const QPointer self(this);
    m_->advancedActive = [self] { return self && self->advancedActive(); };
    m_->onUpdate = [self] {
        if (self)
            self->title();
    };
    m_->refresh();
    m_->start();
    if (prefs_.mini())
        setMini(true);
    if (prefs_.pinned())
        pinnedPanel().showInactive();
    mini();
    pinnedPanel();
    platform::onWake(this, [this] {
        fixWindows();
        m_->longHistory().woke();
    });
    watchScreens();
    // Once the window manager has settled its panels. A popover the user opened meanwhile stays open.
    QTimer::singleShot(1000, this, &App::keepPanelsOnScreen);
    // The main panel brings its own refresh and quit keys; the mini panel gets them here.
    addCommandKeys(mini_, commands());
    qApp->installEventFilter(this);
    if (!prefs_.loginAsked()) {
        platform::login::enable();
        prefs_.setLoginAsked(true);
    }
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_->usage().save(); });
    // The autostart entry starts us at login; a restored session would start a second copy, with a
    // "-session" switch the command line refuses.
    connect(qApp, &QGuiApplication::saveStateRequest, this,
            [](QSessionManager& session) { session.setRestartHint(QSessionManager::RestartNever); });
    trayChanged(item_->shown());
    title();
}

void App::trayChanged(bool shown) {
    if (!shown) {
        trayWaits_ = 0;
        trayPoll_->start();
        return;
    }
    trayPoll_->stop();
    if (standIn_) {
        standIn_ = false;
        if (!prefs_.pinned())
            pinnedPanel().hide();
    }
}

void App::waitForTray() {
    item_->poll();
    if (item_->shown() || standIn_)
        return;
    // At login the tray often comes up after the program: only a tray still missing after a while is gone,
    // and then the pinned panel is the program's window until one appears.
    if (++trayWaits_ < 10)
        return;
    standIn_ = true;
    pinnedPanel().showInactive();
}

void App::choose(const QString& id) {
    if (id == u"panel"_s) {
        toggle();
    } else if (id == u"advanced"_s) {
        prefs_.setAdvanced(true);
        if (!popover_->isVisible())
            toggle();
    } else if (id == u"reset"_s) {
        resetWindows();
    } else {
        act(id);
    }
}

void App::watchScreens() {
    const auto watch = [this](QScreen* s) {
        connect(s, &QScreen::availableGeometryChanged, this, &App::fixWindows);
        connect(s, &QScreen::geometryChanged, this, &App::fixWindows);
    };
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* s) {
        watch(s);
        fixWindows();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &App::fixWindows);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &App::fixWindows);
}

void App::title() {
    const QString host = m_->hosts().value(0);
    const std::optional<double> ms = m_->current(host);
    item_->update(m_->down(), m_->up(), m_->name(host), ms, barMarks(m_->tailnet(), m_->usage().active()));
}

void App::toggle() {
    const Qt::KeyboardModifiers mods = deps_.modifiers();
    if ((mods & Qt::ShiftModifier) && (mods & Qt::AltModifier))
        resetWindows();
    if (mods & Qt::AltModifier)
        prefs_.setAdvanced(true);
    if (prefs_.pinned() || standIn_) {
        pinnedPanel().bringForward();
        return;
    }
    if (popover_->isVisible()) {
        popover_->close();
        return;
    }
    // The click that closed it by leaving it for the icon.
    if (popover_->justLeft())
        return;
    popover_->showAt(item_->anchor());
}

void App::act(const QString& id) {
    if (id == u"gping"_s) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOTSPOT_FORCE"_s, u"1"_s);
        deps_.launch(QDir::homePath() + u"/_ai/hotspot-gping/hotspot-gping.sh"_s, env);
        popover_->close();
    } else if (id == u"refresh"_s) {
        m_->refresh();
    } else if (id == u"mini"_s) {
        setMini(!mini().isVisible());
    } else if (id == u"pin"_s) {
        pin();
    } else if (id == u"settings"_s) {
        popover_->close();
        if (!settings_)
            settings_ = new SettingsWindow(*m_, prefs_, commands(), systemLoginItem());
        openWindow(settings_);
    } else if (id == u"about"_s) {
        popover_->close();
        if (!about_)
            about_ = new AboutWindow(platform::systemName(), commands());
        openWindow(about_);
    } else if (id == u"quit"_s) {
        terminate();
    }
}

std::function<void(const QString&)> App::commands() {
    return [self = QPointer(this)](const QString& id) {
        if (self)
            self->act(id);
    };
}

void App::pin() {
    FloatingPanel& p = pinnedPanel();
    if (prefs_.pinned()) {
        prefs_.setPinned(false);
        p.hide();
        pinnedView_->reload();
        popoverPanel_->reload();
        toggle();
        return;
    }
    prefs_.setPinned(true);
    if (popover_->isVisible()) {
        const QRect where = popover_->geometry();
        popover_->close();
        // The panel takes the popover's place unless the user has put it somewhere before.
        if (!p.restore())
            placeWindow(p, where.topLeft());
    } else {
        popover_->close();
    }
    pinnedView_->reload();
    popoverPanel_->reload();
    p.bringForward();
}

void App::setMini(bool on) {
    if (on)
        mini().showInactive();
    else
        mini().hide();
    prefs_.setMini(on);
}

void App::openWindow(QWidget* window) {
    window->adjustSize();
    if (const auto screen = mainScreen())
        window->move(screen->center() - window->rect().center());
    window->show();
    window->raise();
    window->activateWindow();
}

void App::fixWindows() {
    // Placed for a screen that may be gone.
    popover_->close();
    keepPanelsOnScreen();
}

void App::keepPanelsOnScreen() {
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    for (FloatingPanel* p : {&mini(), &pinnedPanel()}) {
        if (!p->isVisible())
            continue;
        const QRect fixed = placement::keepOnScreen(p->geometry(), screens, mainScreen());
        p->resize(fixed.size());
        placeWindow(*p, fixed.topLeft());
        p->showInactive();
    }
}

void App::resetWindows() {
    prefs_.resetWindows();
    panelState_->setExpand(0);
    mini().hide();
    pinnedPanel().hide();
    if (const auto screen = mainScreen()) {
        placeWindow(mini(), placement::miniResetOrigin(*screen));
        placeWindow(pinnedPanel(), placement::pinnedResetOrigin(*screen));
    }
}

bool App::advancedActive() const {
    const bool pinnedShown = pinned_ && pinned_->isVisible() && (prefs_.pinned() || standIn_);
    return prefs_.advanced() && (popover_->isVisible() || pinnedShown);
}

void App::terminate() {
    m_->usage().save();
    deps_.quit();
}

bool App::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    const bool over =
        (popover_->isVisible() && window == popover_) || (pinned_ && pinned_->isVisible() && window == pinned_);
    if (!over || !prefs_.advanced())
        return false;
    const double dy = wheelDelta(*static_cast<QWheelEvent*>(event));
    return dy != 0 && panelState_->scroll(dy);
}
