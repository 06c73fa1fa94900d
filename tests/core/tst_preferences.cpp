#include "core/globals.h"
#include "core/preferences.h"
#include "support/hostile_file.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestPreferences : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int files = 0;

    // A settings file holding `text`, as a user or an older version may have left it.
    QString fileWith(const QByteArray& text) {
        const QString path = dir.filePath(u"prefs-%1.conf"_s.arg(++files));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write settings");
        f.write(text);
        return path;
    }

private slots:
    void valuesSurviveARestart() {
        const QStringList hosts{u"1.2.3.4"_s, u"a,b"_s, u"name with space"_s, u"::1"_s};
        const QString path = fileWith("");
        Preferences p(path);
        p.setHosts(hosts);
        p.setHostLabels({{u"1.2.3.4"_s, u"Resolver"_s}, {u"a/b"_s, u"slash"_s}});
        p.setTab(u"router"_s);
        p.setAdvanced(true);
        p.setHotspotLimitGB(12.5);
        p.setFrame(Preferences::Frame::Pinned, QRect(10, 20, 340, 500));
        // Read back by a second process, which sees only the file and none of this one's cache.
        QProcess reader;
        reader.start(QCoreApplication::applicationFilePath(), {u"--dump"_s, path});
        QVERIFY(reader.waitForFinished());
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).trimmed(),
                 hosts.join(u'|') + u";slash;router;1;0;12.5;340x500"_s);
    }

    // Neither blocks nor read whole nor replaced: this run's changes stay in memory.
    void unusableFileIsLeftAlone_data() { hostile::addRows(); }
    void unusableFileIsLeftAlone() {
        QFETCH(hostile::Kind, kind);
        if (hostile::cannotMake(kind))
            QSKIP("root reads every file");
        const QString path = dir.filePath(u"prefs-%1.conf"_s.arg(++files));
        QVERIFY(hostile::place(path, kind, "[General]\nhosts=nas\n"));
        const QString before = hostile::lookAt(path);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"nie można odczytać .*prefs-"_s));
        Preferences p(path);
        QCOMPARE(p.hosts(), defaultHosts());
        p.setTab(u"Log"_s);
        QCOMPARE(Preferences(path).tab(), u"Log"_s);
        QCOMPARE(hostile::lookAt(path), before);
    }

    // A variant claiming four billion elements would have Qt reserve gigabytes before finding none.
    void craftedVariantIsNotDecoded() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"nie można odczytać .*@Variant"_s));
        const Preferences p(fileWith("[General]\nhosts=nas\nx=@Variant(\\0\\0\\0\\t\\xff\\xff\\xff\\xff)\n"));
        QCOMPARE(p.hosts(), defaultHosts());
    }
};

// With "--dump FILE" the test binary prints what it reads from the file and exits.
int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--dump") {
        QCoreApplication app(argc, argv);
        const Preferences p(QString::fromLocal8Bit(argv[2]));
        const QRect frame = p.frame(Preferences::Frame::Pinned).value_or(QRect());
        QTextStream(stdout) << p.hosts().join(u'|') << ';' << p.hostLabels().value(u"a/b"_s) << ';' << p.tab() << ';'
                            << p.advanced() << ';' << p.pinned() << ';' << p.hotspotLimitGB() << ';' << frame.width()
                            << 'x' << frame.height() << Qt::endl;
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestPreferences t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_preferences.moc"
