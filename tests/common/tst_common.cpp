#include "common/container.h"
#include "common/printable.h"
#include "common/snapshot.h"
#include "common/texts.h"
#include "support/hostile_file.h"
#include "support/rows.h"
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

} // namespace

class TestCommon : public QObject {
    Q_OBJECT

    TempHome home;

private slots:
    void texts() {
        // Decimal units; rounding that reaches 1000 moves to the next unit; digits are never grouped.
        const std::pair<quint64, QString> counts[] = {
            {0, u"0 B"_s},          {999, u"999 B"_s},           {1000, u"1 kB"_s},
            {87499, u"87 kB"_s},    {12340000, u"12.3 MB"_s},    {8500000000, u"8.50 GB"_s},
            {999'999, u"1.0 MB"_s}, {999'950'000, u"1.00 GB"_s}, {~quint64(0), u"18.45 EB"_s}};
        for (const auto& [bytes, text] : counts)
            ROW_COMPARE(bytes, byteCount(bytes), text);
        const Timestamp now = fromReferenceSeconds(8e8);
        const std::pair<int, QString> ages[] = {
            {-30, u"teraz"_s},   {4, u"teraz"_s},      {59, u"59 s"_s},       {60, u"1 min"_s},
            {3599, u"59 min"_s}, {7300, u"2 godz."_s}, {86400, u"1 dzień"_s}, {4 * 86400 + 5, u"4 dni"_s}};
        for (const auto& [seconds, text] : ages)
            ROW_COMPARE(seconds, relativeAge(now - std::chrono::seconds(seconds), now), text);
        // Further apart than the clock's nanoseconds reach in a difference.
        QCOMPARE(relativeAge(Timestamp::min(), Timestamp::max()), u"213503 dni"_s);
    }

    void printableShowsWhatWouldAct() {
        const std::pair<QString, QString> rows[] = {
            {u"Sieć Łódź 🛜"_s, u"Sieć Łódź 🛜"_s},
            {u"a\x1b]0;x\ab"_s, u"a\\x1b]0;x\\x07b"_s},
            {u"a\r\nb\tc"_s, u"a\\x0d\\x0ab\\x09c"_s},
            {u"\x7f\u009b2J"_s, u"\\x7f\\x9b2J"_s},
            {u"abc\u202Etxt.exe"_s, u"abc\\u202etxt.exe"_s}, // bidirectional override
            {u"a\u2028b"_s, u"a\\u2028b"_s},
            {QString(QChar(0xd800)) + u'x', u"\\ud800x"_s},         // lone surrogate
            {QString::fromUcs4(U"a\U000E0041"), u"a\\U000e0041"_s}, // tag character
        };
        for (const auto& [text, shown] : rows)
            ROW_COMPARE(shown, printable(text), shown);
    }

    void roundTripLeavesAbsentValuesOut() {
        QCOMPARE(Snapshot::decode(sample().encode()), std::optional(sample()));
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
        // Time counts from 2001.
        QCOMPARE(n->time, Timestamp(std::chrono::seconds(978'307'201)));
        QCOMPARE(object(sample().encode()).value(u"time"_s).toDouble(), 795'000'000.25);
        // Whole or nothing: a count that is not whole makes no snapshot.
        QJsonObject fractional = object(sample().encode());
        fractional[u"hotspotToday"_s] = 1.5;
        QVERIFY(!Snapshot::decode(QJsonDocument(fractional).toJson()));
    }

    // Replaced whole, with no temporary files left behind.
    void fileLivesInTheSharedContainer() {
        const auto url = Snapshot::url();
        QCOMPARE(url, std::optional(home.data() + u'/' + QLatin1StringView(appGroupId) + u"/snapshot.json"_s));
        QVERIFY(!Snapshot::read());
        Snapshot s = sample();
        s.write();
        QVERIFY(Snapshot::read());
        s.hosts.clear(); // replaced, not merged
        s.write();
        QCOMPARE(Snapshot::read(), std::optional(s));
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

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
