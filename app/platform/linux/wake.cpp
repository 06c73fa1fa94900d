#include "platform/linux/wake.h"

#include "platform/platform.h"

#include <QDBusConnection>

using namespace Qt::StringLiterals;

Wake::Wake(QObject* parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                u"PrepareForSleep"_s, this, SLOT(prepareForSleep(bool)));
}

void Wake::prepareForSleep(bool sleeping) {
    if (!sleeping)
        emit woke();
}

namespace platform {

void onWake(QObject* context, std::function<void()> handler) {
    QObject::connect(new Wake(context), &Wake::woke, context, std::move(handler));
}

} // namespace platform
