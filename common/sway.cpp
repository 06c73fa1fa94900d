#include "common/sway.h"

#include <QEvent>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace sway {

namespace {

// Sends one command, and sends it again while sway has not seen the window yet: it learns of an X11 window
// only some time after the window is mapped.
void command(const QByteArray& text, int tries = 40) {
    auto* socket = new QLocalSocket;
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, text, tries] {
        // The answer: the magic, two 32-bit words, then one result per command.
        const QByteArray answer = socket->readAll();
        socket->deleteLater();
        if (answer.contains("\"success\": false") && tries > 1)
            QTimer::singleShot(50, [text, tries] { command(text, tries - 1); });
    });
    socket->connectToServer(qEnvironmentVariable("SWAYSOCK"));
    QByteArray message("i3-ipc");
    const quint32 header[2] = {quint32(text.size()), 0}; // length, then type 0: run a command
    message.append(reinterpret_cast<const char*>(header), sizeof(header));
    message.append(text);
    socket->write(message);
}

// Applies the window's place each time sway maps it.
class Placer final : public QObject {
public:
    explicit Placer(QWindow& window)
        : QObject(&window)
        , window_(&window) {
        window.installEventFilter(this);
    }

    void set(QPoint topLeft) {
        topLeft_ = topLeft;
        if (window_->isExposed())
            apply();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_->isExposed() && !shown_) {
            shown_ = true;
            apply();
        } else if (event->type() == QEvent::Hide) {
            shown_ = false;
        }
        return false;
    }

private:
    void apply() {
        command(QByteArrayLiteral("[id=") + QByteArray::number(window_->winId()) + "] sticky enable, " +
                "move absolute position " + QByteArray::number(topLeft_.x()) + " " + QByteArray::number(topLeft_.y()));
    }

    QPointer<QWindow> window_;
    QPoint topLeft_;
    bool shown_ = false;
};

} // namespace

bool running() {
    return !qEnvironmentVariableIsEmpty("SWAYSOCK");
}

void place(QWindow& window, QPoint topLeft) {
    auto* placer = window.findChild<Placer*>(QString(), Qt::FindDirectChildrenOnly);
    if (!placer)
        placer = new Placer(window);
    placer->set(topLeft);
}

} // namespace sway
