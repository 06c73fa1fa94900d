#include "core/echo_ping.h"

#include <QFuture>
#include <QHostAddress>
#include <QHostInfo>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

using namespace std::chrono_literals;

namespace {

// With the one-second reply wait this ends within the tool's three seconds, so a host whose name server does not
// answer holds a queue slot no longer than it did with the tool.
constexpr auto lookupTimeout = 2s;

using Done = std::function<void(std::optional<double>)>;

// A name being resolved: its time-out and its answer, whichever comes first, take `done`.
struct Lookup {
    Done done;
};

} // namespace

Pinger echoPinger(std::shared_ptr<platform::Echo> echo) {
    // QHostInfo::lookupHost would keep answers for a minute; fromName asks the resolver every time. A pool of its
    // own keeps a slow name server from holding up the program's other background work.
    auto lookups = std::make_shared<QThreadPool>();
    return [echo = std::move(echo), lookups](const QString& host, QObject* context, Done done) {
        if (!isSafeHost(host)) {
            QMetaObject::invokeMethod(
                context, [done = std::move(done)] { done(std::nullopt); }, Qt::QueuedConnection);
            return;
        }
        if (const QHostAddress literal(host); !literal.isNull()) {
            echo->send(literal, context, std::move(done));
            return;
        }
        auto lookup = std::make_shared<Lookup>(Lookup{std::move(done)});
        QTimer::singleShot(lookupTimeout, context, [lookup] {
            if (lookup->done)
                std::exchange(lookup->done, nullptr)(std::nullopt);
        });
        QtConcurrent::run(lookups.get(), [host] {
            return QHostInfo::fromName(host);
        }).then(context, [echo, context, lookup](const QHostInfo& info) {
            if (!lookup->done)
                return;
            Done d = std::exchange(lookup->done, nullptr);
            if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
                return d(std::nullopt);
            echo->send(info.addresses().constFirst(), context, std::move(d));
        });
    };
}
