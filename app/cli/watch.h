#pragma once

#include <QDateTime>
#include <QObject>

class Monitor;
class QTextStream;

// One line of the console readout: time, rates, network and each host's current ping.
QString watchLine(const Monitor& m, const QDateTime& at);

// Names how the hosts are pinged, then prints a readout line after every refresh but the first, which has no
// rates or pings to show yet.
class Watch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Watch)

public:
    Watch(const Monitor& m, QTextStream& out, QObject* parent = nullptr);

signals:
    // The reader went away (a closed pipe, a full disk): there is no one left to print for.
    void outputClosed();

private:
    void print();

    const Monitor& m_;
    QTextStream& out_;
    bool first_ = true;
};
