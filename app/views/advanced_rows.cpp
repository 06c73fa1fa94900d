#include "views/advanced_rows.h"

#include "views/detail_rows.h"
#include "views/kv_row.h"

#include <QVBoxLayout>

namespace {
constexpr int rowGap = 4;
} // namespace

AdvancedRows::AdvancedRows(QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(rowGap);
    setVisible(false);
}

void AdvancedRows::set(const QList<DetailRow>& rows) {
    while (rows_.size() > rows.size())
        delete rows_.takeLast();
    while (rows_.size() < rows.size()) {
        auto* row = new KVRow(this);
        layout()->addWidget(row);
        rows_.append(row);
    }
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows_[i]->set(rows[i].k, rows[i].v, rows[i].symbol);
    setVisible(!rows.isEmpty());
}
