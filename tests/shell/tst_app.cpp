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

#include <QApplication>
#include <QDBusMessage>
#include <QScreen>
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

    // Alt with the click turns the advanced view on for good; while pinned the click brings the panel forward.
    void toggle() {
        auto app = make();
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
        // Escape must not hide the only window there is.
        QTest::keyClick(&app->pinnedPanel(), Qt::Key_Escape);
        QCOMPARE(shown(*app), QStringList{u"pinned"_s});
        QVERIFY(watcher.start());
        QTRY_VERIFY(app->item().shown());
        QCOMPARE(shown(*app), QStringList());
        QVERIFY(watcher.items().contains(app->item().notifierItem().serviceName()));
    }

    void trayHostSpeaksToTheItem() {
        auto app = make();
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
    }

    // A notch moves 10 px, a part of one its part; fine pixel steps count as they come, sideways ones not at all.
    void wheelTravel() {
        const auto travel = [](QPoint pixels, QPoint angle) { return wheelDelta(wheel(pixels, angle)); };
        QCOMPARE(travel({}, {0, -120}), -10.0);
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
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
