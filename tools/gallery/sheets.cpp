#include "sheets.h"

#include "views/bars.h"
#include "views/cell.h"
#include "views/glass.h"
#include "views/label.h"
#include "views/quality_bar.h"
#include "views/sparkline.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int chartWidth = 312;

Samples samples(const QList<std::optional<double>>& values) {
    Samples out;
    for (const auto& v : values)
        out.append({Timestamp{}, v});
    return out;
}

Samples waveSamples(int n, int lostEvery) {
    QList<std::optional<double>> values;
    for (int i = 0; i < n; ++i) {
        const bool lost = lostEvery > 0 && i % lostEvery == lostEvery - 1;
        values.append(lost ? std::nullopt : std::optional(30 + 14 * std::sin(i * 0.4) + (i % 5) * 2.0));
    }
    return samples(values);
}

// A glass card with one captioned row per case.
class Sheet {
public:
    Sheet()
        : card_(std::make_unique<Glass>(16))
        , column_(new QVBoxLayout(card_.get())) {
        column_->setContentsMargins(14, 14, 14, 14);
        column_->setSpacing(6);
        column_->setSizeConstraint(QLayout::SetFixedSize);
    }

    void add(const QString& caption, QWidget* chart, int height) {
        auto* label = new Label(Text::Caption, QFont::Normal, Label::Tone::Secondary);
        label->setText(caption);
        column_->addSpacing(column_->count() ? 6 : 0);
        column_->addWidget(label);
        chart->setFixedSize(chartWidth, height);
        column_->addWidget(chart);
    }

    std::unique_ptr<QWidget> done() { return std::move(card_); }

private:
    std::unique_ptr<QWidget> card_;
    QVBoxLayout* column_;
};

} // namespace

std::unique_ptr<QWidget> qualityBarSheet() {
    Sheet sheet;
    const QList<std::pair<QString, std::optional<double>>> cases{{u"0 ms"_s, 0.0},
                                                                 {u"79,9 ms"_s, 79.9},
                                                                 {u"80 ms"_s, 80.0},
                                                                 {u"200 ms"_s, 200.0},
                                                                 {u"200,1 ms"_s, 200.1},
                                                                 {u"400 ms"_s, 400.0},
                                                                 {u"brak odpowiedzi"_s, std::nullopt}};
    for (const auto& [caption, value] : cases) {
        auto* bar = new QualityBar;
        bar->setValue(value);
        sheet.add(caption, bar, 10);
    }
    auto* cells = new QWidget;
    auto* grid = new QGridLayout(cells);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    auto* down = new Cell(u"↓ pobieranie"_s);
    down->setValue(u"1.2 MB/s"_s);
    auto* up = new Cell(u"↑ wysyłanie"_s);
    up->setValue(u"35 KB/s"_s);
    grid->addWidget(down, 0, 0);
    grid->addWidget(up, 0, 1);
    sheet.add(u"Cell"_s, cells, cells->sizeHint().height());
    return sheet.done();
}

std::unique_ptr<QWidget> barsSheet() {
    Sheet sheet;
    const QList<std::pair<QString, Samples>> cases{{u"jedna próbka 20 ms"_s, samples({20.0})},
                                                   {u"jedna utracona próbka"_s, samples({std::nullopt})},
                                                   {u"wszystkie poniżej 1 ms"_s, samples({0.4, 0.8, 0.2, 0.6})},
                                                   {u"150 próbek ze stratami"_s, waveSamples(150, 19)},
                                                   {u"180 próbek: najstarsze poza wykresem"_s, waveSamples(180, 0)}};
    for (const auto& [caption, s] : cases) {
        auto* bars = new Bars;
        bars->setColumns(Bars::columns(s), Bars::slotCount());
        sheet.add(caption, bars, 96);
    }
    return sheet.done();
}

std::unique_ptr<QWidget> sparklineSheet() {
    Sheet sheet;
    const QList<std::pair<QString, Samples>> cases{
        {u"brak próbek"_s, {}},
        {u"jedna próbka: nic nie widać"_s, samples({25.0})},
        {u"40 próbek: tylko ostatnie 30"_s, waveSamples(40, 0)},
        {u"przerwy przy stratach, samotny punkt"_s,
         samples({20.0, 28.0, std::nullopt, 35.0, std::nullopt, 22.0, 18.0, 26.0, std::nullopt})},
        {u"wszystkie 0 ms"_s, samples({0.0, 0.0, 0.0, 0.0})}};
    for (const auto& [caption, s] : cases) {
        auto* line = new Sparkline;
        line->setSamples(s);
        sheet.add(caption, line, 16);
    }
    return sheet.done();
}
