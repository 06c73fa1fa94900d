#include "http_server.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

HttpServer::HttpServer(QObject* parent)
    : QObject(parent)
    , server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                socket->setProperty("request", socket->property("request").toByteArray() + socket->readAll());
                const QByteArray request = socket->property("request").toByteArray();
                if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                ++requests_;
                lastRequest_ = request;
                if (silent_)
                    return;
                socket->write("HTTP/1.1 " + QByteArray::number(status_) + " Status\r\nContent-Type: text/plain\r\n" +
                              "Content-Length: " + QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n");
                socket->write(body_);
                socket->disconnectFromHost();
            });
        }
    });
}

bool HttpServer::listen() {
    return server_->listen(QHostAddress::LocalHost);
}

QUrl HttpServer::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server_->serverPort()));
}

void HttpServer::answer(int status, const QByteArray& body) {
    status_ = status;
    body_ = body;
}
