#include "common/printable.h"
#include "common/texts.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TstTexts : public QObject {
    Q_OBJECT

private slots:
    void byteCountUsesDecimalUnits_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << u"0 B"_s;
        QTest::newRow("below a kilobyte") << quint64(999) << u"999 B"_s;
        QTest::newRow("one kilobyte") << quint64(1000) << u"1 kB"_s;
        QTest::newRow("kilobytes round") << quint64(87499) << u"87 kB"_s;
        QTest::newRow("megabytes") << quint64(12340000) << u"12.3 MB"_s;
        QTest::newRow("gigabytes") << quint64(8500000000) << u"8.50 GB"_s;
        // Rounding that reaches 1000 moves to the next unit; digits are never grouped.
        QTest::newRow("kilobyte edge") << quint64(999'999) << u"1.0 MB"_s;
        QTest::newRow("megabyte edge") << quint64(999'950'000) << u"1.00 GB"_s;
        QTest::newRow("largest count") << ~quint64(0) << u"18.45 EB"_s;
    }
    void byteCountUsesDecimalUnits() {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(byteCount(bytes), text);
    }

    void relativeAgeSteps_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("future clock") << -30 << u"teraz"_s;
        QTest::newRow("just now") << 4 << u"teraz"_s;
        QTest::newRow("seconds") << 59 << u"59 s"_s;
        QTest::newRow("minute") << 60 << u"1 min"_s;
        QTest::newRow("minutes") << 3599 << u"59 min"_s;
        QTest::newRow("hours") << 7300 << u"2 godz."_s;
        QTest::newRow("one day") << 86400 << u"1 dzień"_s;
        QTest::newRow("days") << 4 * 86400 + 5 << u"4 dni"_s;
    }
    void relativeAgeSteps() {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        const Timestamp now = fromReferenceSeconds(8e8);
        QCOMPARE(relativeAge(now - std::chrono::seconds(seconds), now), text);
        // Further apart than the clock's nanoseconds reach in a difference.
        QCOMPARE(relativeAge(Timestamp::min(), Timestamp::max()), u"213503 dni"_s);
    }

    void printableShowsWhatWouldAct_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain Polish") << u"Sieć Łódź 🛜"_s << u"Sieć Łódź 🛜"_s;
        QTest::newRow("terminal title") << u"a\x1b]0;x\ab"_s << u"a\\x1b]0;x\\x07b"_s;
        QTest::newRow("forged line") << u"a\r\nb\tc"_s << u"a\\x0d\\x0ab\\x09c"_s;
        QTest::newRow("delete and 8-bit CSI") << u"\x7f\u009b2J"_s << u"\\x7f\\x9b2J"_s;
        QTest::newRow("bidirectional override") << u"abc\u202Etxt.exe"_s << u"abc\\u202etxt.exe"_s;
        QTest::newRow("line separator") << u"a\u2028b"_s << u"a\\u2028b"_s;
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + u'x' << u"\\ud800x"_s;
        QTest::newRow("tag character") << QString::fromUcs4(U"a\U000E0041") << u"a\\U000e0041"_s;
    }
    void printableShowsWhatWouldAct() {
        QFETCH(QString, text);
        QTEST(printable(text), "shown");
    }
};

QTEST_GUILESS_MAIN(TstTexts)
#include "tst_texts.moc"
