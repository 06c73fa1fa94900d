#include "core/formatters.h"
#include "core/stats.h"
#include "support/rows.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using std::chrono::seconds;

namespace {

using Values = QList<std::optional<double>>;
const Timestamp t0 = Timestamp{seconds(1'800'000'000)};
const std::optional<double> lost;

// Samples two seconds apart, ending at t0; nullopt is a lost ping.
Samples samples(const Values& values) {
    Samples list;
    for (qsizetype i = 0; i < values.size(); ++i)
        list.append({t0 - seconds(2 * (values.size() - 1 - i)), values[i]});
    return list;
}

} // namespace

class TestFigures : public QObject {
    Q_OBJECT

private slots:
    void texts() {
        const std::pair<double, QString> rates[] = {
            {0.0, u"0 KB/s"_s},           {1500.0, u"2 KB/s"_s},         {999'500.0, u"1.0 MB/s"_s},
            {1'050'000.0, u"1.1 MB/s"_s}, {99'950'000.0, u"100 MB/s"_s}, {1'234'567'890.0, u"1235 MB/s"_s}};
        for (const auto& [bytes, text] : rates)
            ROW_COMPARE(bytes, rate(bytes), text);
        const std::pair<std::optional<double>, QString> pings[] = {
            {lost, u"x"_s}, {12.5, u"13 ms"_s}, {0.4, u"0 ms"_s}, {1999.49, u"1999 ms"_s}};
        for (const auto& [value, text] : pings)
            ROW_COMPARE(text, ms(value), text);
        const std::pair<double, QString> durations[] = {
            {59.5, u"1 min 0 s"_s}, {134.0, u"2 min 14 s"_s}, {3.0 * 3600 + 5 * 60 + 59, u"3 h 5 min"_s}};
        for (const auto& [s, text] : durations)
            ROW_COMPARE(s, duration(Seconds(s)), text);
    }

    void stats() {
        // Values, then last, min, avg, max, jitter, loss and count.
        const struct {
            const char* name;
            Values values;
            std::optional<double> last;
            QList<double> figures;
        } rows[] = {
            {"none", {}, lost, {0, 0, 0, 0, 0, 0}},
            {"one answer", {12.0}, 12.0, {12, 12, 12, 0, 0, 1}},
            {"all lost", {lost, lost}, lost, {0, 0, 0, 0, 100, 2}},
        };
        for (const auto& row : rows) {
            const Stats s(samples(row.values));
            ROW_COMPARE(row.name, s.last, row.last);
            const QList<double> actual{s.min, s.avg, s.max, s.jitter, s.loss, double(s.count)};
            for (qsizetype i = 0; i < actual.size(); ++i)
                ROW_COMPARE(row.name, actual[i], row.figures[i]); // fuzzy: 1 / 3 × 100 is not 100 / 3
        }
        // The window includes its cutoff.
        const Samples list = samples({5.0, 7.0, 9.0}); // at t0-4, t0-2, t0
        QCOMPARE(Stats(list, t0 - seconds(2)).count, 2);
    }
};

QTEST_GUILESS_MAIN(TestFigures)
#include "tst_figures.moc"
