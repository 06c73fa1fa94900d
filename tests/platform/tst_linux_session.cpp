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

#include <sys/socket.h>

using namespace Qt::StringLiterals;
namespace login = platform::login;

namespace {

// The entry's Exec program read back the way a desktop reads it: one quoted or plain argument, "%%" for "%".
QString execProgram(const QString& entry) {
    QFile f(entry);
    QString value, program;
    for (const QByteArray& line : f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QByteArrayList()) {
        if (line.startsWith("Exec="))
            value = QString::fromUtf8(line.mid(5));
    }
    if (!value.startsWith(u'"'))
        return value.replace(u"%%"_s, u"%"_s);
    for (qsizetype i = 1; i < value.size() && value[i] != u'"'; ++i)
        program += value[value[i] == u'\\' ? ++i : i];
    return program.replace(u"%%"_s, u"%"_s);
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
    const QString entry = home.config() + u"/autostart/tarnwick.desktop"_s;

private slots:
    // The entry must start the program even from a folder with spaces, quotes or percent signs.
    void loginItemLifecycle() {
        QVERIFY(!login::enabled());
        QCOMPARE(login::disable(), std::nullopt); // nothing to remove is fine
        const QString dir = home.path() + u"/My \"Apps\" 100%"_s, copy = dir + u"/tarnwick test"_s;
        QVERIFY(QDir().mkpath(dir) && QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QProcess p;
        p.start(copy, {u"--enable-login"_s});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(login::enabled());
        QCOMPARE(QSettings(entry, QSettings::IniFormat).value(u"Desktop Entry/Type"_s).toString(), u"Application"_s);
        QCOMPARE(execProgram(entry), copy);
        QCOMPARE(login::disable(), std::nullopt);
        QVERIFY(!login::enabled() && !QFile::exists(entry));
    }

    void hiddenEntriesAreOff() {
        for (const QByteArray& line : {"Hidden=true"_ba, "X-GNOME-Autostart-enabled=false"_ba}) {
            QCOMPARE(login::enable(), std::nullopt);
            QCOMPARE(execProgram(entry), QCoreApplication::applicationFilePath());
            QFile f(entry);
            QVERIFY(f.open(QIODevice::Append) && f.write(line + '\n') > 0);
            f.close();
            QVERIFY2(!login::enabled(), line.constData());
            QCOMPARE(login::disable(), std::nullopt);
        }
    }

    void notificationsReachTheServiceAndReplaceTheirPredecessor() {
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        NotificationService service(bus.address());
        QVERIFY(service.ok());
        platform::notify({u"first"_s, u"Tytuł"_s, u"Treść z ogonkami: zażółć"_s});
        QTRY_COMPARE(service.shown().size(), 1);
        const auto& shown = service.shown()[0];
        QCOMPARE(shown.summary + u'|' + shown.body, u"Tytuł|Treść z ogonkami: zażółć"_s);
        QCOMPARE(shown.hints.value(u"desktop-entry"_s).toString(), u"tarnwick"_s);
        platform::notify({u"other"_s, u"x"_s, u"y"_s});
        platform::notify({u"first"_s, u"Tytuł"_s, u"znowu"_s});
        QTRY_COMPARE(service.shown().size(), 3);
        QCOMPARE((QList<uint>{service.shown()[0].replaces, service.shown()[1].replaces, service.shown()[2].replaces}),
                 (QList<uint>{0, 0, 1}));
    }

    void resolvedCurrentServer() {
        if (!bus.ok())
            QSKIP("dbus-daemon is not available");
        const struct {
            const char* name;
            int ifindex;
            bool running, linkHasServer;
            QString server;
        } rows[]{{"the link's server", 2, true, true, u"192.168.7.2"_s},
                 {"the link has none: the global one", 2, true, false, u"2001:db8::53"_s},
                 {"not running", 2, false, true, QString()}};
        for (const auto& row : rows) {
            QDBusConnection service = QDBusConnection::connectToBus(bus.address(), u"fake-resolved"_s);
            FakeResolved resolved;
            resolved.linkHasServer = row.linkHasServer;
            if (row.running) {
                QVERIFY(
                    service.registerVirtualObject(u"/org/freedesktop/resolve1"_s, &resolved, QDBusConnection::SubPath));
                QVERIFY(service.registerService(u"org.freedesktop.resolve1"_s));
            }
            const QDBusConnection client = QDBusConnection::connectToBus(bus.address(), u"resolved-client"_s);
            // Asked from a worker thread, as the slow reading asks.
            const int ifindex = row.ifindex;
            QFuture<std::optional<QString>> asked =
                QtConcurrent::run([&client, ifindex] { return platform::resolved::currentServer(client, ifindex); });
            QTRY_VERIFY(asked.isFinished());
            QVERIFY2(asked.result().value_or(QString()) == row.server, row.name);
            service.unregisterService(u"org.freedesktop.resolve1"_s);
            service.unregisterObject(u"/org/freedesktop/resolve1"_s, QDBusConnection::UnregisterTree);
            QDBusConnection::disconnectFromBus(u"fake-resolved"_s);
            QDBusConnection::disconnectFromBus(u"resolved-client"_s);
        }
    }
};

// "--enable-login" registers this very binary as the login item and exits: a program at a path of the
// test's choosing.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--enable-login")
        return login::enable() ? 1 : 0;
    TestLinuxSession t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_linux_session.moc"
