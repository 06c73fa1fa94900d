#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QTcpServer;

// A plain HTTP server on loopback that answers every request the same way, or not at all.
class HttpServer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HttpServer)

public:
    explicit HttpServer(QObject* parent = nullptr);

    // Listens on 127.0.0.1 at a free port; false when it cannot.
    bool listen();
    QUrl url() const;

    // The reply to send; with `silent` set the server reads requests and never answers.
    void answer(int status, const QByteArray& body);
    void setSilent(bool silent) { silent_ = silent; }

    int requests() const { return requests_; }
    const QByteArray& lastRequest() const { return lastRequest_; }

private:
    QTcpServer* server_;
    int status_ = 200;
    QByteArray body_;
    bool silent_ = false;
    int requests_ = 0;
    QByteArray lastRequest_;
};
