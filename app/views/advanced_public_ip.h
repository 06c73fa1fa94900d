#pragma once

#include <QWidget>
#include <optional>

class KVRow;
class QPushButton;
struct PublicIPResult;

// "Publiczny IP": the looked-up address when it still belongs to the current route, otherwise the button
// that looks it up.
class AdvancedPublicIP final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedPublicIP)

public:
    explicit AdvancedPublicIP(QWidget* parent = nullptr);

    void set(const std::optional<PublicIPResult>& result);

    KVRow* result() const { return result_; }
    QPushButton* button() const { return button_; }

signals:
    void fetch();

private:
    KVRow* result_;
    QWidget* ask_;
    QPushButton* button_;
};
