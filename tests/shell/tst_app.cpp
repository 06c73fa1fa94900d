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
#include <QDBusReply>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

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

    std::unique_ptr<App> make(bool launch = true) {
        App::Deps d;
        d.monitor = quietMonitor(clock, prefs, usageFile);
        d.prefs = prefs;
        d.modifiers = [this] { return mods; };
        d.quit = [this] { ++quits; };
        auto app = std::make_unique<App>(std::move(d));
        if (launch) {
            app->launch();
            // The item registers as the bus delivers, within the event loop.
            if (trayUp && !QTest::qWaitFor([&] { return app->item().shown(); }, 2000))
                qWarning("the tray never took the item");
        }
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

    static QRect screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

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

    void toggleOpensAndCloses() {
        auto app = make();
        QVERIFY(!app->popover().isVisible());
        app->toggle();
        QVERIFY(app->popover().isVisible());
        QVERIFY(!app->advancedActive());
        prefs.setAdvanced(true);
        QVERIFY(app->advancedActive());
        app->toggle();
        QVERIFY(!app->popover().isVisible());
        QVERIFY(!app->advancedActive());
        QVERIFY(!app->pinnedPanel().isVisible());
    }

    void optionClickTurnsAdvancedOn() {
        auto app = make();
        mods = Qt::AltModifier;
        app->toggle();
        QVERIFY(prefs.advanced());
        QVERIFY(app->popover().isVisible());
        mods = {};
        app->toggle();
        QVERIFY(prefs.advanced());
    }

    void shiftOptionClickResets() {
        prefs.setPinned(true);
        prefs.setMini(true);
        prefs.setPanelExpand(120);
        prefs.setFrame(Preferences::Frame::Mini, QRect(10, 10, 260, 180));
        prefs.setFrame(Preferences::Frame::Pinned, QRect(20, 20, 340, 500));
        auto app = make();
        QVERIFY(app->mini().isVisible() && app->pinnedPanel().isVisible());
        mods = Qt::ShiftModifier | Qt::AltModifier;
        app->toggle();
        QVERIFY(!prefs.pinned() && !prefs.mini());
        QVERIFY(!prefs.frame(Preferences::Frame::Mini) && !prefs.frame(Preferences::Frame::Pinned));
        QCOMPARE(app->panelState().expand(), 0.0);
        QCOMPARE(prefs.panelExpand(), 0.0);
        QVERIFY(prefs.advanced());
        QVERIFY(!app->mini().isVisible() && !app->pinnedPanel().isVisible());
        QCOMPARE(app->mini().pos(), QPoint(screen().right() + 1 - 280, screen().top() + 20));
        QCOMPARE(app->pinnedPanel().pos(), QPoint(screen().right() + 1 - 380, screen().top() + 20));
        // Unpinned now, so the click opens the popover.
        QVERIFY(app->popover().isVisible());
    }

    void clickWhilePinnedShowsThePanel() {
        prefs.setPinned(true);
        auto app = make();
        app->pinnedPanel().hide();
        app->toggle();
        QVERIFY(app->pinnedPanel().isVisible());
        QVERIFY(!app->popover().isVisible());
    }

    void pinTakesThePopoversPlace() {
        auto app = make();
        app->toggle();
        const QRect popover = app->popover().geometry();
        app->act(u"pin"_s);
        QVERIFY(prefs.pinned());
        QVERIFY(!app->popover().isVisible());
        QVERIFY(app->pinnedPanel().isVisible());
        QCOMPARE(app->pinnedPanel().pos(), popover.topLeft());
        QVERIFY(app->advancedActive() == prefs.advanced());
        // Un-pinning hides the panel and opens the popover.
        app->act(u"pin"_s);
        QVERIFY(!prefs.pinned());
        QVERIFY(!app->pinnedPanel().isVisible());
        QVERIFY(app->popover().isVisible());
    }

    void pinPrefersTheSavedFrame() {
        auto app = make();
        app->pinnedPanel();
        prefs.setFrame(Preferences::Frame::Pinned, QRect(33, 44, 340, 500));
        app->toggle();
        app->act(u"pin"_s);
        QCOMPARE(app->pinnedPanel().pos(), QPoint(33, 44));
    }

    void escapeClosesFloatingPanels() {
        auto app = make();
        app->act(u"mini"_s);
        QVERIFY(app->mini().isVisible());
        QVERIFY(prefs.mini());
        QTest::keyClick(&app->mini(), Qt::Key_Escape);
        QVERIFY(!app->mini().isVisible());
        QVERIFY(!prefs.mini());
        app->toggle();
        app->act(u"pin"_s);
        QTest::keyClick(&app->pinnedPanel(), Qt::Key_Escape);
        QVERIFY(!prefs.pinned());
        QVERIFY(!app->pinnedPanel().isVisible());
        QVERIFY(app->popover().isVisible());
    }

    void commands() {
        auto app = make();
        QSignalSpy refreshed(&app->monitor(), &Monitor::refreshed);
        app->act(u"refresh"_s);
        QCOMPARE(refreshed.size(), 1);
        app->act(u"mini"_s);
        QVERIFY(app->mini().isVisible());
        app->act(u"mini"_s);
        QVERIFY(!app->mini().isVisible());
        QVERIFY(!prefs.mini());
        app->toggle();
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
        QVERIFY(!prefs.pinned());
        QCOMPARE(quits, 0);
        QVERIFY(!QFile::exists(usageFile));
        app->act(u"quit"_s);
        QCOMPARE(quits, 1);
        QVERIFY(QFile::exists(usageFile));
    }

    void gpingForcesTheScript() {
        const QString folder = home.path() + u"/_ai/hotspot-gping"_s;
        QVERIFY(QDir().mkpath(folder));
        const QString out = home.path() + u"/gping.out"_s;
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
        QTRY_VERIFY(QFile::exists(out));
        QFile result(out);
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
        {
            auto app = make();
            QVERIFY(app->mini().isVisible());
            QVERIFY(app->pinnedPanel().isVisible());
            QVERIFY(!app->popover().isVisible());
        }
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
        QVERIFY(!app->pinnedPanel().isVisible());
        for (int second = 0; second < 10; ++second)
            app->waitForTray();
        QVERIFY(app->pinnedPanel().isVisible());
        QTest::keyClick(&app->pinnedPanel(), Qt::Key_Escape);
        QVERIFY(app->pinnedPanel().isVisible());
        QVERIFY(!prefs.pinned());
        app->pinnedPanel().hide();
        app->toggle();
        QVERIFY(app->pinnedPanel().isVisible());
        QVERIFY(!app->popover().isVisible());
        prefs.setAdvanced(true);
        QVERIFY(app->advancedActive());
        QVERIFY(watcher.start());
        QTRY_VERIFY(app->item().shown());
        QVERIFY(!app->pinnedPanel().isVisible());
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
        const auto root = qdbus_cast<MenuLayout>(layout.arguments().value(1));
        QStringList labels;
        for (const QVariant& child : root.children) {
            const auto item = qdbus_cast<MenuLayout>(child);
            labels.append(item.properties.value(u"label"_s, u"-"_s).toString());
        }
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

        const auto tip = qdbus_cast<SniToolTip>(
            call(*app, u"/StatusNotifierItem"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {sni, u"ToolTip"_s})
                .arguments()
                .value(0)
                .value<QDBusVariant>()
                .variant());
        QCOMPARE(tip.title, u"Tarnwick"_s);
    }

    void wheelTravel_data() {
        QTest::addColumn<QPoint>("pixels");
        QTest::addColumn<QPoint>("angle");
        QTest::addColumn<double>("dy");
        QTest::newRow("notch towards later content") << QPoint() << QPoint(0, -120) << -10.0;
        QTest::newRow("notch back") << QPoint() << QPoint(0, 120) << 10.0;
        QTest::newRow("half notch") << QPoint() << QPoint(0, -60) << -5.0;
        QTest::newRow("fine steps as they come") << QPoint(0, -7) << QPoint(0, -20) << -7.0;
        QTest::newRow("sideways only") << QPoint() << QPoint(120, 0) << 0.0;
    }
    void wheelTravel() {
        QFETCH(QPoint, pixels);
        QFETCH(QPoint, angle);
        QFETCH(double, dy);
        const QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), pixels, angle, Qt::NoButton, Qt::NoModifier,
                                Qt::NoScrollPhase, false);
        QCOMPARE(wheelDelta(wheel), dy);
    }

    // Scrolling back at the top of the advanced view shrinks the panel before the content sees the wheel.
    void scrollRouting_data() {
        QTest::addColumn<bool>("advanced");
        QTest::addColumn<bool>("overPopover");
        QTest::addColumn<double>("expand");
        QTest::newRow("advanced view in the popover") << true << true << 0.0;
        QTest::newRow("advanced off") << false << true << 100.0;
        QTest::newRow("over another window") << true << false << 100.0;
    }
    void scrollRouting() {
        QFETCH(bool, advanced);
        QFETCH(bool, overPopover);
        QFETCH(double, expand);
        prefs.setAdvanced(advanced);
        prefs.setPanelExpand(100);
        auto app = make();
        app->act(u"mini"_s);
        app->toggle();
        app->panelState().setAtTop(true);
        QWidget* target = overPopover ? app->popover().childAt(app->popover().rect().center()) : &app->mini();
        QVERIFY(target);
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        QCOMPARE(app->panelState().expand(), expand);
    }

    void fixWindowsPullsVisiblePanelsBack() {
        auto app = make();
        app->act(u"mini"_s);
        app->mini().move(screen().right() + 500, screen().bottom() + 500);
        app->pinnedPanel().move(5000, 5000);
        app->toggle();
        app->fixWindows();
        QVERIFY(!app->popover().isVisible());
        QVERIFY(screen().contains(app->mini().geometry()));
        QVERIFY(app->mini().isVisible());
        // A hidden panel is never moved.
        QCOMPARE(app->pinnedPanel().pos(), QPoint(5000, 5000));
        QVERIFY(!app->pinnedPanel().isVisible());
    }

    void popoverOpenedAtStartStaysOpen() {
        auto app = make();
        app->toggle();
        QTest::qWait(1300);
        QVERIFY(app->popover().isVisible());
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
