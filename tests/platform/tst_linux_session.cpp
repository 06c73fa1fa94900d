#include "platform/platform.h"
#include "support/session_bus.h"
#include "support/temp_home.h"

#include <QSettings>
#include <QtTest>

#include <csignal>

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
