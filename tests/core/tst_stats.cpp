#include "core/stats.h"

#include <QtTest>

namespace {

using Values = QList<std::optional<double>>;
const Timestamp t0 = Timestamp{std::chrono::seconds(1'800'000'000)};

// Samples two seconds apart, ending at t0; nullopt is a lost ping.
Samples samples(const Values& values) {
    Samples list;
    for (qsizetype i = 0; i < values.size(); ++i)
        list.append({t0 - std::chrono::seconds(2 * (values.size() - 1 - i)), values[i]});
    return list;
}

} // namespace

class TestStats : public QObject {
    Q_OBJECT

private slots:
    void figures_data() {
        QTest::addColumn<Values>("values");
        QTest::addColumn<std::optional<double>>("last");
        QTest::addColumn<QList<double>>("minAvgMaxJitterLoss");
        QTest::addColumn<int>("count");
        const std::optional<double> lost;
        QTest::newRow("none") << Values{} << lost << QList<double>{0, 0, 0, 0, 0} << 0;
        QTest::newRow("a loss between answers keeps the pair")
            << Values{10.0, lost, 20.0} << std::optional(20.0) << QList<double>{10, 15, 20, 10, 100.0 / 3} << 3;
        QTest::newRow("lost newest") << Values{10.0, 20.0, lost} << lost << QList<double>{10, 15, 20, 10, 100.0 / 3}
                                     << 3;
        QTest::newRow("one answer") << Values{12.0} << std::optional(12.0) << QList<double>{12, 12, 12, 0, 0} << 1;
        QTest::newRow("jitter is the mean step")
            << Values{10.0, 30.0, 20.0} << std::optional(20.0) << QList<double>{10, 20, 30, 15, 0} << 3;
        QTest::newRow("all lost") << Values{lost, lost} << lost << QList<double>{0, 0, 0, 0, 100} << 2;
    }
    void figures() {
        QFETCH(Values, values);
        QFETCH(std::optional<double>, last);
        QFETCH(QList<double>, minAvgMaxJitterLoss);
        QFETCH(int, count);
        const Stats s(samples(values));
        QCOMPARE(s.last, last);
        const QList<double> actual{s.min, s.avg, s.max, s.jitter, s.loss};
        for (qsizetype i = 0; i < actual.size(); ++i)
            QCOMPARE(actual[i], minAvgMaxJitterLoss[i]);
        QCOMPARE(s.count, count);
    }

    void windowIncludesItsCutoffAndIsAFilter() {
        Samples list = samples({5.0, 7.0, 9.0}); // at t0-4, t0-2, t0
        QCOMPARE(Stats(list, t0 - std::chrono::seconds(2)).count, 2);
        QCOMPARE(Stats(list, t0 + std::chrono::milliseconds(1)).count, 0);
        // A clock that stepped back leaves an old-looking sample after newer ones.
        list.append({t0 - std::chrono::seconds(100), 50.0});
        const Stats s(list, t0 - std::chrono::seconds(10));
        QCOMPARE(s.count, 3);
        QCOMPARE(s.last, std::optional(9.0));
    }
};

QTEST_GUILESS_MAIN(TestStats)
#include "tst_stats.moc"
