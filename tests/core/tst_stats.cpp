#include "core/stats.h"

#include <QtTest>

namespace {

const Timestamp t0 = Timestamp{std::chrono::seconds(1'800'000'000)};

// Samples two seconds apart, ending at t0; nullopt is a lost ping.
Samples samples(std::initializer_list<std::optional<double>> values) {
    Samples list;
    int i = int(values.size());
    for (const auto& v : values)
        list.append({t0 - std::chrono::seconds(2 * --i), v});
    return list;
}

} // namespace

class TestStats : public QObject {
    Q_OBJECT

private slots:
    void empty() {
        const Stats s(Samples{});
        QVERIFY(!s.last);
        QCOMPARE(s.min, 0.0);
        QCOMPARE(s.avg, 0.0);
        QCOMPARE(s.max, 0.0);
        QCOMPARE(s.jitter, 0.0);
        QCOMPARE(s.loss, 0.0);
        QCOMPARE(s.count, 0);
    }

    void lossBetweenAnswersKeepsThePair() {
        const Stats s(samples({10.0, std::nullopt, 20.0}));
        QCOMPARE(s.last, std::optional(20.0));
        QCOMPARE(s.min, 10.0);
        QCOMPARE(s.avg, 15.0);
        QCOMPARE(s.max, 20.0);
        QCOMPARE(s.jitter, 10.0);
        QVERIFY(qAbs(s.loss - 100.0 / 3) < 1e-9);
        QCOMPARE(s.count, 3);
    }

    void lostNewestSampleHasNoLast() {
        const Stats s(samples({10.0, 20.0, std::nullopt}));
        QVERIFY(!s.last);
        QCOMPARE(s.avg, 15.0);
    }

    void singleAnswer() {
        const Stats s(samples({12.0}));
        QCOMPARE(s.min, 12.0);
        QCOMPARE(s.avg, 12.0);
        QCOMPARE(s.max, 12.0);
        QCOMPARE(s.jitter, 0.0);
        QCOMPARE(s.loss, 0.0);
    }

    void jitterIsTheMeanStep() { QCOMPARE(Stats(samples({10.0, 30.0, 20.0})).jitter, 15.0); }

    void allLost() {
        const Stats s(samples({std::nullopt, std::nullopt}));
        QCOMPARE(s.loss, 100.0);
        QCOMPARE(s.min + s.avg + s.max + s.jitter, 0.0);
        QCOMPARE(s.count, 2);
    }

    void cutoffIncludesItsOwnInstant() {
        // Samples at t0-4, t0-2, t0.
        const Samples list = samples({5.0, 7.0, 9.0});
        const Stats s(list, t0 - std::chrono::seconds(2));
        QCOMPARE(s.count, 2);
        QCOMPARE(s.min, 7.0);
        QCOMPARE(Stats(list, t0 + std::chrono::milliseconds(1)).count, 0);
    }

    void windowIsAFilterNotASuffix() {
        // A clock that stepped back leaves an old-looking sample after newer ones.
        Samples list = samples({5.0, 7.0});
        list.append({t0 - std::chrono::seconds(100), 50.0});
        const Stats s(list, t0 - std::chrono::seconds(10));
        QCOMPARE(s.count, 2);
        QCOMPARE(s.last, std::optional(7.0));
    }
};

QTEST_GUILESS_MAIN(TestStats)
#include "tst_stats.moc"
