#pragma once

#include <QList>
#include <QWidget>

class KVRow;
struct DetailRow;

// A column of rows that keeps its row widgets across updates, so a row whose menu is open survives a
// refresh that leaves it in place.
class AdvancedRows final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedRows)

public:
    explicit AdvancedRows(QWidget* parent = nullptr);

    // Hidden while there are no rows, so an empty list takes no room.
    void set(const QList<DetailRow>& rows);
    const QList<KVRow*>& rows() const { return rows_; }

private:
    QList<KVRow*> rows_;
};
