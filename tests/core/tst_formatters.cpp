#include "core/formatters.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestFormatters : public QObject {
    Q_OBJECT

private slots:
    void rateText_data() {
        QTest::addColumn<double>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << u"0 KB/s"_s;
        QTest::newRow("half rounds away from zero") << 1500.0 << u"2 KB/s"_s;
        QTest::newRow("just below a half") << 1499.9 << u"1 KB/s"_s;
        QTest::newRow("last KB/s") << 999'499.0 << u"999 KB/s"_s;
        QTest::newRow("first MB/s") << 999'500.0 << u"1.0 MB/s"_s;
        QTest::newRow("one decimal half up") << 1'050'000.0 << u"1.1 MB/s"_s;
        QTest::newRow("last decimal") << 99'949'999.0 << u"99.9 MB/s"_s;
        QTest::newRow("first whole MB/s") << 99'950'000.0 << u"100 MB/s"_s;
        QTest::newRow("gigabit and more") << 1'234'567'890.0 << u"1235 MB/s"_s;
    }
    void rateText() {
        QFETCH(double, bytes);
        QFETCH(QString, text);
        QCOMPARE(rate(bytes), text);
    }

    void msText_data() {
        QTest::addColumn<std::optional<double>>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("absent") << std::optional<double>() << u"x"_s;
        QTest::newRow("half away from zero") << std::optional(12.5) << u"13 ms"_s;
        QTest::newRow("below one") << std::optional(0.4) << u"0 ms"_s;
        QTest::newRow("exactly zero") << std::optional(0.0) << u"0 ms"_s;
        QTest::newRow("large") << std::optional(1999.49) << u"1999 ms"_s;
    }
    void msText() {
        QFETCH(std::optional<double>, value);
        QFETCH(QString, text);
        QCOMPARE(ms(value), text);
    }

    void durationText_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds, rounded") << 59.4 << u"59 s"_s;
        QTest::newRow("a minute, rounded up") << 59.5 << u"1 min 0 s"_s;
        QTest::newRow("minutes and seconds") << 134.0 << u"2 min 14 s"_s;
        QTest::newRow("hours and minutes") << 3.0 * 3600 + 5 * 60 + 59 << u"3 h 5 min"_s;
    }
    void durationText() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(duration(Seconds(seconds)), text);
    }
};

QTEST_GUILESS_MAIN(TestFormatters)
#include "tst_formatters.moc"
