#pragma once

#include <QObject>

// Tells when the machine has woken from sleep, as logind announces on the system bus. Without a system
// bus or logind it never does.
class Wake final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Wake)

public:
    explicit Wake(QObject* parent = nullptr);

signals:
    void woke();

private slots:
    void prepareForSleep(bool sleeping);
};
