#include "platform/platform.h"

#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

void onTermination(QObject* context, std::function<void()> handler) {
    static QPointer<QSocketNotifier> notifier;
    if (pipeEnds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
            return;
        struct sigaction sa = {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (const int s : {SIGINT, SIGTERM, SIGHUP})
            ::sigaction(s, &sa, nullptr);
        ::signal(SIGPIPE, SIG_IGN);
    }
    delete notifier;
    notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
        char buffer[16];
        while (::read(pipeEnds[1], buffer, sizeof buffer) > 0) {
        }
        handler();
    });
}

} // namespace platform
