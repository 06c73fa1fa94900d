#include "fake_monitor.h"
#include "shell/app.h"
#include "shell/floating_panel.h"
#include "shell/popover.h"
#include "shell/sni/dbus_types.h"
#include "shell/sni/status_notifier_item.h"
#include "shell/status_item.h"
#include "support/fake_watcher.h"
#include "support/session_bus.h"
#include "support/temp_home.h"
#include "views/about_window.h"
#include "views/settings_window.h"

#include <QApplication>
#include <QDBusMessage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

QRect screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The app's windows on screen, in a fixed order.
QStringList shown(App& app) {
    QStringList on;
    for (const auto& [name, w] : {std::pair<QString, QWidget*>{u"popover"_s, &app.popover()},
                                  {u"mini"_s, &app.mini()},
                                  {u"pinned"_s, &app.pinnedPanel()}}) {
        if (w->isVisible())
            on.append(name);
    }
    return on;
}

QWheelEvent wheel(QPoint pixels, QPoint angle) {
    return {QPointF(5, 5), QPointF(5, 5), pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false};
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

    TempHome home;
    SessionBus bus;
    FakeWatcher watcher{bus.address()};
    FakeClock clock;
    int files = 0;
    Preferences prefs{QString()};
    QString usageFile;
    Qt::KeyboardModifiers mods;
    bool trayUp = true;
    int quits = 0;

    std::unique_ptr<App> make() {
        App::Deps d;
        d.monitor = quietMonitor(clock, prefs, usageFile);
        d.prefs = prefs;
        d.modifiers = [this] { return mods; };
        d.quit = [this] { ++quits; };
        auto app = std::make_unique<App>(std::move(d));
        app->launch();
        // The item registers as the bus delivers, within the event loop.
        if (trayUp && !QTest::qWaitFor([&] { return app->item().shown(); }, 2000))
            qWarning("the tray never took the item");
        return app;
    }

    // A call to the item over the bus, as a tray host makes it.
    QDBusMessage call(App& app, const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(app.item().notifierItem().serviceName(), path, interface, method);
        m.setArguments(args);
        // The item answers from this same thread, so the wait must run the event loop.
        return QDBusConnection::connectToBus(bus.address(), u"host"_s).call(m, QDBus::BlockWithGui);
    }

private slots:
    void init() {
        prefs = Preferences(home.config() + u"/a%1.conf"_s.arg(++files));
        prefs.setHosts({u"127.0.0.1"_s});
        prefs.setLoginAsked(true);
        usageFile = home.data() + u"/usage%1.json"_s.arg(files);
        mods = {};
        quits = 0;
        QVERIFY(bus.ok());
        trayUp = watcher.start();
        QVERIFY(trayUp);
    }

    // A click opens and closes the popover (one opened right at the start stays open), Alt turns the advanced
    // view on for good, and while pinned it brings the panel forward instead.
    void toggle() {
        auto app = make();
        QCOMPARE(shown(*app), QStringList());
        app->toggle();
        QTest::qWait(1300);
        QCOMPARE(shown(*app), QStringList{u"popover"_s});
        QVERIFY(!app->advancedActive());
        prefs.setAdvanced(true);
        QVERIFY(app->advancedActive());
        app->toggle();
        QCOMPARE(shown(*app), QStringList());
        QVERIFY(!app->advancedActive());

        prefs.setAdvanced(false);
        mods = Qt::AltModifier;
        app->toggle();
        QVERIFY(prefs.advanced());
        QCOMPARE(shown(*app), QStringList{u"popover"_s});
        mods = {};
        app->toggle();
        QVERIFY(prefs.advanced());

        prefs.setPinned(true);
        app->toggle();
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
    }

    void shiftOptionClickResets() {
        prefs.setPinned(true);
        prefs.setMini(true);
        prefs.setPanelExpand(120);
        prefs.setFrame(Preferences::Frame::Mini, QRect(10, 10, 260, 180));
        prefs.setFrame(Preferences::Frame::Pinned, QRect(20, 20, 340, 500));
        auto app = make();
        QCOMPARE(shown(*app), (QStringList{u"mini"_s, u"pinned"_s}));
        mods = Qt::ShiftModifier | Qt::AltModifier;
        app->toggle();
        QVERIFY(!prefs.pinned() && !prefs.mini());
        QVERIFY(!prefs.frame(Preferences::Frame::Mini) && !prefs.frame(Preferences::Frame::Pinned));
        QCOMPARE(app->panelState().expand(), 0.0);
        QCOMPARE(prefs.panelExpand(), 0.0);
        QVERIFY(prefs.advanced());
        QCOMPARE(app->mini().pos(), QPoint(screen().right() + 1 - 280, screen().top() + 20));
        QCOMPARE(app->pinnedPanel().pos(), QPoint(screen().right() + 1 - 380, screen().top() + 20));
        // Unpinned now, so the click opens the popover.
        QCOMPARE(shown(*app), QStringList{u"popover"_s});
    }

    // Pinning puts the panel where the popover was, or where the user last had it; un-pinning hides it and
    // opens the popover.
    void pin() {
        auto app = make();
        app->toggle();
        const QRect popover = app->popover().geometry();
        app->act(u"pin"_s);
        QVERIFY(prefs.pinned());
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
        QCOMPARE(app->pinnedPanel().pos(), popover.topLeft());
        QVERIFY(app->advancedActive() == prefs.advanced());
        app->act(u"pin"_s);
        QVERIFY(!prefs.pinned());
        QCOMPARE(shown(*app), QStringList{u"popover"_s});
        prefs.setFrame(Preferences::Frame::Pinned, QRect(33, 44, 340, 500));
        app->act(u"pin"_s);
        QCOMPARE(app->pinnedPanel().pos(), QPoint(33, 44));
    }

    void commands() {
        auto app = make();
        QSignalSpy refreshed(&app->monitor(), &Monitor::refreshed);
        app->act(u"refresh"_s);
        QCOMPARE(refreshed.size(), 1);
        // The mini window comes and goes with its command and goes with Escape.
        app->act(u"mini"_s);
        QVERIFY(app->mini().isVisible() && prefs.mini());
        QTest::keyClick(&app->mini(), Qt::Key_Escape);
        QVERIFY(!app->mini().isVisible() && !prefs.mini());
        app->act(u"mini"_s);
        app->act(u"mini"_s);
        QVERIFY(!app->mini().isVisible() && !prefs.mini());
        // Escape un-pins the pinned panel.
        app->toggle();
        app->act(u"pin"_s);
        QTest::keyClick(&app->pinnedPanel(), Qt::Key_Escape);
        QVERIFY(!prefs.pinned());
        QCOMPARE(shown(*app), QStringList{u"popover"_s});
        app->act(u"settings"_s);
        QVERIFY(!app->popover().isVisible());
        QVERIFY(app->settings() && app->settings()->isVisible());
        SettingsWindow* settings = app->settings();
        settings->hide();
        app->act(u"settings"_s);
        QCOMPARE(app->settings(), settings);
        app->act(u"about"_s);
        QVERIFY(app->about() && app->about()->isVisible());
        // Ids are exact; anything else does nothing.
        for (const QString& id : {u"Pin"_s, u"quit "_s, QString()})
            app->act(id);
        QCOMPARE(quits, 0);
        QVERIFY(!QFile::exists(usageFile));
        app->act(u"quit"_s);
        QCOMPARE(quits, 1);
        QVERIFY(QFile::exists(usageFile));
    }

    void gpingForcesTheScript() {
        const QString folder = home.path() + u"/_ai/hotspot-gping"_s;
        QVERIFY(QDir().mkpath(folder));
        QFile script(folder + u"/hotspot-gping.sh"_s);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$HOTSPOT_FORCE $#\" > \"$HOME/gping.tmp\" && mv \"$HOME/gping.tmp\" "
                     "\"$HOME/gping.out\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        qputenv("HOTSPOT_FORCE", "7");
        auto app = make();
        app->toggle();
        app->act(u"gping"_s);
        qunsetenv("HOTSPOT_FORCE");
        QVERIFY(!app->popover().isVisible());
        QFile result(home.path() + u"/gping.out"_s);
        QTRY_VERIFY(result.exists());
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("1 0"));
        // A missing script is no error.
        QVERIFY(QFile::remove(script.fileName()));
        app->act(u"gping"_s);
    }

    void launchRestoresAndAsksForLoginOnce() {
        prefs.setLoginAsked(false);
        prefs.setMini(true);
        prefs.setPinned(true);
        const QString entry = home.config() + u"/autostart/tarnwick.desktop"_s;
        QFile::remove(entry);
        { QCOMPARE(shown(*make()), (QStringList{u"mini"_s, u"pinned"_s})); }
        QVERIFY(prefs.loginAsked());
        QVERIFY(QFile::exists(entry));
        // Later launches leave the user's choice alone.
        QVERIFY(QFile::remove(entry));
        auto again = make();
        QVERIFY(!QFile::exists(entry));
    }

    void withoutTrayThePinnedPanelServes() {
        watcher.stop();
        trayUp = false;
        auto app = make();
        // A tray that is late at login gets its time before the panel stands in.
        for (int second = 0; second < 9; ++second)
            app->waitForTray();
        QCOMPARE(shown(*app), QStringList());
        app->waitForTray();
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
        QTest::keyClick(&app->pinnedPanel(), Qt::Key_Escape);
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
        QVERIFY(!prefs.pinned());
        app->pinnedPanel().hide();
        app->toggle();
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
        prefs.setAdvanced(true);
        QVERIFY(app->advancedActive());
        QVERIFY(watcher.start());
        QTRY_VERIFY(app->item().shown());
        QCOMPARE(shown(*app), QStringList());
        QVERIFY(watcher.items().contains(app->item().notifierItem().serviceName()));
        app->toggle();
        QVERIFY(app->popover().isVisible());
    }

    void trayHostSpeaksToTheItem() {
        auto app = make();
        const QString sni = u"org.kde.StatusNotifierItem"_s;
        const QString menu = u"com.canonical.dbusmenu"_s;
        // The menu reaches every window, in the order a user reads it.
        const QDBusMessage layout = call(*app, u"/MenuBar"_s, menu, u"GetLayout"_s, {0, -1, QStringList()});
        QCOMPARE(layout.type(), QDBusMessage::ReplyMessage);
        QStringList labels;
        for (const QVariant& child : qdbus_cast<MenuLayout>(layout.arguments().value(1)).children)
            labels.append(qdbus_cast<MenuLayout>(child).properties.value(u"label"_s, u"-"_s).toString());
        QCOMPARE(labels, (QStringList{u"Pokaż panel"_s, u"Mini okno"_s, u"Zaawansowane"_s, u"Ustawienia…"_s,
                                      u"Przywróć położenie okien"_s, u"-"_s, u"Odśwież"_s, u"Zakończ Tarnwick"_s}));
        call(*app, u"/MenuBar"_s, menu, u"Event"_s, {2, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u});
        QTRY_VERIFY(app->mini().isVisible());

        // A click where the host says the icon is opens the panel against the icon, and a second one closes it.
        const QRect area = screen();
        const QPoint icon(area.right() - 40, area.top() + 10);
        call(*app, u"/StatusNotifierItem"_s, sni, u"Activate"_s, {icon.x(), icon.y()});
        QVERIFY(app->popover().isVisible());
        const QRect popover = app->popover().frameGeometry();
        QVERIFY(area.contains(popover));
        QVERIFY(popover.top() > icon.y());
        QVERIFY(popover.left() <= icon.x() && popover.right() >= icon.x());
        call(*app, u"/StatusNotifierItem"_s, sni, u"Activate"_s, {icon.x(), icon.y()});
        QVERIFY(!app->popover().isVisible());

        const QDBusMessage tip =
            call(*app, u"/StatusNotifierItem"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {sni, u"ToolTip"_s});
        QCOMPARE(qdbus_cast<SniToolTip>(tip.arguments().value(0).value<QDBusVariant>().variant()).title, u"Tarnwick"_s);
    }

    // A notch moves 10 px, a part of one its part; fine pixel steps count as they come, sideways ones not at all.
    void wheelTravel() {
        const auto travel = [](QPoint pixels, QPoint angle) { return wheelDelta(wheel(pixels, angle)); };
        QCOMPARE(travel({}, {0, -120}), -10.0);
        QCOMPARE(travel({}, {0, 120}), 10.0);
        QCOMPARE(travel({}, {0, -60}), -5.0);
        QCOMPARE(travel({0, -7}, {0, -20}), -7.0);
        QCOMPARE(travel({}, {120, 0}), 0.0);
    }

    // Scrolling back at the top of the advanced view shrinks the panel before the content sees the wheel.
    void scrollRouting() {
        const struct {
            const char* name;
            bool advanced, overPopover;
            double expand;
        } rows[] = {{"advanced view in the popover", true, true, 0.0},
                    {"advanced off", false, true, 100.0},
                    {"over another window", true, false, 100.0}};
        for (const auto& row : rows) {
            init();
            prefs.setAdvanced(row.advanced);
            prefs.setPanelExpand(100);
            auto app = make();
            app->act(u"mini"_s);
            app->toggle();
            app->panelState().setAtTop(true);
            QWidget* target = row.overPopover ? app->popover().childAt(app->popover().rect().center()) : &app->mini();
            QVERIFY(target);
            QWheelEvent event = wheel({}, {0, 120});
            QApplication::sendEvent(target, &event);
            QVERIFY2(app->panelState().expand() == row.expand, row.name);
        }
    }

    void fixWindowsPullsVisiblePanelsBack() {
        auto app = make();
        app->act(u"mini"_s);
        app->mini().move(screen().right() + 500, screen().bottom() + 500);
        app->pinnedPanel().move(5000, 5000);
        app->toggle();
        app->fixWindows();
        QCOMPARE(shown(*app), QStringList{u"mini"_s});
        QVERIFY(screen().contains(app->mini().geometry()));
        // A hidden panel is never moved.
        QCOMPARE(app->pinnedPanel().pos(), QPoint(5000, 5000));
    }

    void iconRedrawnOnlyOnChange() {
        auto app = make();
        StatusNotifierItem& sni = app->item().notifierItem();
        QSignalSpy drawn(&sni, &StatusNotifierItem::newIcon);
        StatusItem& item = app->item();
        item.update(1000, 2000, u"a"_s, 42.0, {});
        QCOMPARE(drawn.size(), 1);
        item.update(5'000'000, 3000, u"a"_s, 42.2, {});
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(sni.toolTip().text, u"↓ 5.0 MB/s  ↑ 3 KB/s\na: 42 ms"_s);
        item.update(5'000'000, 3000, u"a"_s, 43.0, {});
        item.update(5'000'000, 3000, u"a"_s, 43.0, {true, false});
        QCOMPARE(drawn.size(), 3);
        // Every size a host may ask for, each drawn for its size.
        QCOMPARE(sni.pixmaps().size(), 8);
        QCOMPARE(sni.pixmaps().first().bytes.size(), 16 * 16 * 4);
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
