#include "common/container.h"
#include "common/snapshot.h"
#include "support/hostile_file.h"
#include "support/temp_home.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

Snapshot sample() {
    Snapshot s;
    s.time = fromReferenceSeconds(795'000'000.25);
    s.down = 1234.5;
    s.up = 0;
    s.hosts = {{u"192.0.2.53"_s, u"DNS"_s, 12.5}, {u"nas"_s, u"nas"_s, std::nullopt}, {u"::1"_s, u"ja"_s, 0.031}};
    s.exit = u"nl-exit"_s;
    s.hotspot = true;
    s.hotspotToday = 5'000'000'123;
    return s;
}

QJsonObject object(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

QByteArray withValue(const QString& key, const QJsonValue& value) {
    QJsonObject o = object(sample().encode());
    if (value.isUndefined())
        o.remove(key);
    else
        o[key] = value;
    return QJsonDocument(o).toJson();
}

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    void roundTrip() {
        const Snapshot s = sample();
        const auto back = Snapshot::decode(s.encode());
        QVERIFY(back.has_value());
        QCOMPARE(*back, s);
    }

    void absentValuesAreLeftOut() {
        Snapshot s = sample();
        s.exit.reset();
        s.hosts = {{u"nas"_s, u"nas"_s, std::nullopt}};
        const QByteArray json = s.encode();
        QVERIFY(!json.contains("\"exit\"") && !json.contains("\"ms\"") && !json.contains("null"));
        QCOMPARE(Snapshot::decode(json), std::optional(s));
        // Readers take null as absent too, ignore keys they do not know, and never rely on key order.
        const auto n = Snapshot::decode(R"({"future":{"x":1},"hotspotToday":0,"hotspot":false,"exit":null,)"
                                        R"("hosts":[{"ms":null,"name":"a","host":"a"}],"up":0,"down":0,"time":1})");
        QVERIFY(n && !n->exit && !n->hosts[0].ms);
    }

    void timeCountsFrom2001() {
        const auto s = Snapshot::decode(withValue(u"time"_s, 1.0));
        QVERIFY(s.has_value());
        QCOMPARE(
            QDateTime::fromMSecsSinceEpoch(
                std::chrono::duration_cast<std::chrono::milliseconds>(s->time.time_since_epoch()).count(), Qt::UTC),
            QDateTime(QDate(2001, 1, 1), QTime(0, 0, 1), Qt::UTC));
        QCOMPARE(object(sample().encode()).value(u"time"_s).toDouble(), 795'000'000.25);
    }

    void wholeDocumentOrNothing_data() {
        QTest::addColumn<QByteArray>("json");
        for (const QString& key : {u"time"_s, u"down"_s, u"up"_s, u"hosts"_s, u"hotspot"_s, u"hotspotToday"_s})
            QTest::addRow("without %s", qPrintable(key)) << withValue(key, QJsonValue::Undefined);
        QTest::newRow("text time") << withValue(u"time"_s, u"2026-01-01"_s);
        QTest::newRow("number as flag") << withValue(u"hotspot"_s, 1);
        QTest::newRow("negative count") << withValue(u"hotspotToday"_s, -1);
        QTest::newRow("fractional count") << withValue(u"hotspotToday"_s, 1.5);
        QTest::newRow("exit as number") << withValue(u"exit"_s, 3);
        QTest::newRow("hosts as object") << withValue(u"hosts"_s, QJsonObject());
        QTest::newRow("host without name") << withValue(u"hosts"_s, QJsonArray{QJsonObject{{u"host"_s, u"a"_s}}});
        QTest::newRow("ms as text") << withValue(
            u"hosts"_s, QJsonArray{QJsonObject{{u"host"_s, u"a"_s}, {u"name"_s, u"a"_s}, {u"ms"_s, u"1"_s}}});
        QTest::newRow("time beyond the clock") << withValue(u"time"_s, 1e300);
        QTest::newRow("time past 2137") << withValue(u"time"_s, 1e11);
        QTest::newRow("time before 2001") << withValue(u"time"_s, -1.0);
        QTest::newRow("array") << QByteArray("[]");
        QTest::newRow("truncated") << sample().encode().chopped(9);
        QTest::newRow("binary") << QByteArray("\xff\xfe\x00{\"time\"", 10);
        QTest::newRow("deep nesting") << QByteArray(100000, '[');
    }
    void wholeDocumentOrNothing() {
        QFETCH(QByteArray, json);
        QVERIFY(!Snapshot::decode(json));
    }

    void fileLivesInTheSharedContainer() {
        const auto url = Snapshot::url();
        QVERIFY(url.has_value());
        QCOMPARE(*url, home.data() + u'/' + QLatin1StringView(appGroupId) + u"/snapshot.json"_s);
        QVERIFY(!Snapshot::read());
        const Snapshot s = sample();
        s.write();
        QCOMPARE(Snapshot::read(), std::optional(s));
        // Replaced whole, with no temporary files left behind.
        Snapshot next = s;
        next.hosts.clear();
        next.write();
        QCOMPARE(Snapshot::read(), std::optional(next));
        QCOMPARE(QDir(QFileInfo(*url).path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"snapshot.json"_s});
    }

    void unusableLocationIsSilent() {
        const QString url = *Snapshot::url();
        const QString dir = QFileInfo(url).path();
        // A folder where the file should be: nothing can replace it, even for root.
        QDir(dir).removeRecursively();
        QVERIFY(QDir().mkpath(url));
        sample().write();
        QVERIFY(QFileInfo(url).isDir());
        QVERIFY(!Snapshot::read());
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(QDir(dir).removeRecursively());
    }

    // None of these may block the reader or be taken for a snapshot.
    void onlyARegularFileIsRead_data() { hostile::addRows(); }
    void onlyARegularFileIsRead() {
        QFETCH(hostile::Kind, kind);
        if (hostile::cannotMake(kind))
            QSKIP("root reads every file");
        const QString url = *Snapshot::url();
        QDir(QFileInfo(url).path()).removeRecursively();
        QVERIFY(hostile::place(url, kind, sample().encode()));
        QVERIFY(!Snapshot::read());
    }

    void staleTemporariesAreRemoved() {
        const QString dir = QFileInfo(*Snapshot::url()).path();
        QDir(dir).removeRecursively();
        sample().write();
        for (const char* name : {".snapshot.json.q7Rk2B", ".snapshot.json.fresh1", ".snapshot.json.Ab12",
                                 "x.snapshot.json.q7Rk2C", ".snapshot.json.q7Rk2Bx"}) {
            QFile f(dir + u'/' + QLatin1StringView(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (!f.fileName().contains(u"fresh"_s))
                QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-90), QFileDevice::FileModificationTime));
        }
        // A link of that name is someone else's; only regular files are ours.
        QVERIFY(QFile::link(u".snapshot.json.Ab12"_s, dir + u"/.snapshot.json.Link12"_s));
        Snapshot::removeStaleTemporaries();
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                 (QStringList{u".snapshot.json.Ab12"_s, u".snapshot.json.Link12"_s, u".snapshot.json.fresh1"_s,
                              u".snapshot.json.q7Rk2Bx"_s, u"snapshot.json"_s, u"x.snapshot.json.q7Rk2C"_s}));
    }
};

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
