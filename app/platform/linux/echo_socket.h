#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <sys/socket.h>

class QSocketNotifier;

// One ping socket of one address family, shared by every request of that family. Requests are told apart
// by their sequence number; the kernel already passes on only replies that carry the socket's identifier.
class EchoSocket final : public QObject {
    Q_DISABLE_COPY_MOVE(EchoSocket)

public:
    using Done = std::function<void(std::optional<double>)>;

    // Null, with `errno` telling why, when the kernel refuses a ping socket of `family` (AF_INET or AF_INET6).
    static std::unique_ptr<EchoSocket> open(int family);
    ~EchoSocket() override;

    // `to` is an address of the socket's family.
    void send(const sockaddr_storage& to, QObject* context, Done done);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Request {
        sockaddr_storage to;
        QPointer<QObject> context;
        Done done;
        std::chrono::steady_clock::time_point sent;
        int timer;
    };

    EchoSocket(int fd, int family);
    void read();
    void finish(quint16 sequence, std::optional<double> ms);

    int fd_;
    int family_;
    QSocketNotifier* notifier_;
    quint16 next_ = 0;
    QHash<quint16, Request> pending_;
    QHash<int, quint16> timers_;
};
