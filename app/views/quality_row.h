#pragma once

#include <QWidget>
#include <optional>

class Label;
class QualityBar;

// A title with the current round-trip time at its right and the quality bar under both.
class QualityRow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QualityRow)

public:
    explicit QualityRow(QWidget* parent = nullptr);

    void set(const QString& title, std::optional<double> last);
    QString title() const;
    QString time() const;

private:
    Label* title_;
    Label* time_;
    QualityBar* bar_;
};
