#include "platform/linux/resolved.h"
#include "platform/platform.h"
#include "support/session_bus.h"
#include "support/temp_home.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

#include <csignal>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

QString entryPath(const TempHome& home) {
    return home.config() + u"/autostart/tarnwick.desktop"_s;
}

// The Exec value read back the way a desktop reads it: one quoted or plain argument, "%%" for "%".
QString execProgram(const QString& value) {
    QString program;
    if (value.startsWith(u'"')) {
        for (qsizetype i = 1; i < value.size() && value[i] != u'"'; ++i) {
            if (value[i] == u'\\')
                ++i;
            program += value[i];
        }
    } else {
        program = value;
    }
    return program.replace(u"%%"_s, u"%"_s);
}

QString execLine(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    }
    return {};
}

// A stand-in for systemd-resolved: interface 2 is its link, sending to 192.168.7.2 (or to none); its global
// server is 2001:db8::53.
class FakeResolved final : public QDBusVirtualObject {
public:
    bool linkHasServer = true;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QString link = u"/org/freedesktop/resolve1/link/_32"_s;
        if (m.member() == u"GetLink") {
            bus.send(m.arguments().value(0).toInt() == 2
                         ? m.createReply(QVariant::fromValue(QDBusObjectPath(link)))
                         : m.createErrorReply(u"org.freedesktop.resolve1.NoSuchLink"_s, QString()));
            return true;
        }
        // Properties.Get of CurrentDNSServer: (family, bytes), after the interface index on the manager.
        QDBusArgument server;
        server.beginStructure();
        if (m.path() != link)
            server << 0 << AF_INET6 << QByteArray::fromHex("20010db8000000000000000000000053");
        else
            server << (linkHasServer ? AF_INET : 0) << (linkHasServer ? QByteArray::fromHex("c0a80702") : QByteArray());
        server.endStructure();
        bus.send(m.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(server)))));
        return true;
    }
};

} // namespace

class TestLinuxSession : public QObject {
    Q_OBJECT

    SessionBus bus; // before anything touches the session bus
    TempHome home;

private slots:
    void loginItemLifecycle() {
        QVERIFY(!platform::login::enabled());
        QCOMPARE(platform::login::disable(), std::nullopt); // nothing to remove is fine
        QCOMPARE(platform::login::enable(), std::nullopt);
        QVERIFY(platform::login::enabled());
        const QSettings entry(entryPath(home), QSettings::IniFormat);
        QCOMPARE(entry.value(u"Desktop Entry/Type"_s).toString(), u"Application"_s);
        QCOMPARE(execProgram(execLine(entryPath(home))), QCoreApplication::applicationFilePath());
        QCOMPARE(platform::login::disable(), std::nullopt);
        QVERIFY(!platform::login::enabled());
        QVERIFY(!QFile::exists(entryPath(home)));
    }

    void hiddenEntriesAreOff_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("hidden") << QByteArray("Hidden=true");
        QTest::newRow("switched off in GNOME") << QByteArray("X-GNOME-Autostart-enabled=false");
    }
    void hiddenEntriesAreOff() {
        QFETCH(QByteArray, line);
        QVERIFY(!platform::login::enable());
        QFile f(entryPath(home));
        QVERIFY(f.open(QIODevice::Append));
        f.write(line + '\n');
        f.close();
        QVERIFY(!platform::login::enabled());
        QVERIFY(!platform::login::disable());
    }

    void unusableAutostartFolderReportsAnError() {
        // A file where the folder should be: nothing can be created below it, even by root.
        QDir(home.config() + u"/autostart"_s).removeRecursively();
        QFile blocker(home.config() + u"/autostart"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const auto error = platform::login::enable();
        QVERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(!platform::login::enabled());
        QVERIFY(blocker.remove());
    }

    void programPathWithReservedCharacters() {
        // The entry must start the program even from a folder with spaces, quotes or percent signs.
        const QString dir = home.path() + u"/My \"Apps\" 100%"_s;
        QVERIFY(QDir().mkpath(dir));
        const QString copy = dir + u"/tarnwick test"_s;
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QProcess p;
        p.start(copy, {u"--enable-login"_s});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(execProgram(execLine(entryPath(home))), copy);
        QVERIFY(platform::login::enabled());
        QVERIFY(!platform::login::disable());
    }

    void notificationsReachTheServiceAndReplaceTheirPredecessor() {
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        // Without a service nothing is shown, now or later.
        platform::notify({u"early"_s, u"t"_s, u"b"_s});
        QTest::qWait(200);
        NotificationService service(bus.address());
        QVERIFY(service.ok());
        platform::notify({u"first"_s, u"Tytuł"_s, u"Treść z ogonkami: zażółć"_s});
        QTRY_COMPARE(service.shown().size(), 1);
        QCOMPARE(service.shown()[0].summary, u"Tytuł"_s);
        QCOMPARE(service.shown()[0].body, u"Treść z ogonkami: zażółć"_s);
        QCOMPARE(service.shown()[0].hints.value(u"desktop-entry"_s).toString(), u"tarnwick"_s);
        QCOMPARE(service.shown()[0].replaces, 0u);
        platform::notify({u"other"_s, u"x"_s, u"y"_s});
        QTRY_COMPARE(service.shown().size(), 2);
        QCOMPARE(service.shown()[1].replaces, 0u);
        platform::notify({u"first"_s, u"Tytuł"_s, u"znowu"_s});
        QTRY_COMPARE(service.shown().size(), 3);
        QCOMPARE(service.shown()[2].replaces, 1u);
    }

    void resolvedCurrentServer_data() {
        QTest::addColumn<int>("ifindex");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("linkHasServer");
        QTest::addColumn<QString>("server");
        QTest::newRow("the link's server") << 2 << true << true << u"192.168.7.2"_s;
        QTest::newRow("the link has none: the global one") << 2 << true << false << u"2001:db8::53"_s;
        QTest::newRow("a link it does not know") << 5 << true << true << u"2001:db8::53"_s;
        QTest::newRow("not running") << 2 << false << true << QString();
    }
    void resolvedCurrentServer() {
        QFETCH(int, ifindex);
        QFETCH(bool, running);
        QFETCH(bool, linkHasServer);
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        QDBusConnection service = QDBusConnection::connectToBus(bus.address(), u"fake-resolved"_s);
        FakeResolved resolved;
        resolved.linkHasServer = linkHasServer;
        if (running) {
            QVERIFY(service.registerVirtualObject(u"/org/freedesktop/resolve1"_s, &resolved, QDBusConnection::SubPath));
            QVERIFY(service.registerService(u"org.freedesktop.resolve1"_s));
        }
        const QDBusConnection client = QDBusConnection::connectToBus(bus.address(), u"resolved-client"_s);
        // Asked from a worker thread, as the slow reading asks.
        QFuture<std::optional<QString>> asked =
            QtConcurrent::run([&client, ifindex] { return platform::resolved::currentServer(client, ifindex); });
        QTRY_VERIFY(asked.isFinished());
        QTEST(asked.result().value_or(QString()), "server");
        service.unregisterService(u"org.freedesktop.resolve1"_s);
        service.unregisterObject(u"/org/freedesktop/resolve1"_s, QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(u"fake-resolved"_s);
        QDBusConnection::disconnectFromBus(u"resolved-client"_s);
    }

    void terminationSignalsReachTheEventLoop() {
        QObject context;
        int calls = 0;
        platform::onTermination(&context, [&] { ++calls; });
        ::raise(SIGTERM);
        QCOMPARE(calls, 0); // never from inside the signal handler
        QTRY_COMPARE(calls, 1);
        ::raise(SIGINT);
        ::raise(SIGHUP);
        QTRY_VERIFY(calls >= 2);
        // A new handler replaces the previous one.
        int other = 0;
        platform::onTermination(&context, [&] { ++other; });
        const int before = calls;
        ::raise(SIGTERM);
        QTRY_COMPARE(other, 1);
        QCOMPARE(calls, before);
    }
};

// "--enable-login" registers this very binary as the login item and exits: a program at a path of the
// test's choosing.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--enable-login")
        return platform::login::enable() ? 1 : 0;
    TestLinuxSession t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_linux_session.moc"
