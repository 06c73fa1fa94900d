#pragma once

#include <QBoxLayout>
#include <QList>
#include <QWidget>

// Grows or shrinks a list of like rows kept in `layout` from position `at` to `n` entries, reusing the
// ones that exist; new rows come from `make` and are shown at once so a grab sees them.
template <class Row, class Make>
void resizeRows(QList<Row*>& rows, QBoxLayout* layout, int at, qsizetype n, Make make) {
    while (rows.size() > n)
        delete rows.takeLast();
    while (rows.size() < n) {
        Row* row = make();
        layout->insertWidget(at + int(rows.size()), row);
        row->show();
        rows.append(row);
    }
}
