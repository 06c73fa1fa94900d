#include "core/ping.h"

#include "core/echo_ping.h"
#include "core/run.h"

#include <QObject>
#include <QRegularExpression>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {
// The tool gives up after one second; this only covers one that hangs, for example in name resolution.
constexpr auto pingTimeout = 3s;
} // namespace

std::optional<double> pingTime(const QString& output) {
    static const QRegularExpression figure(QStringLiteral("time=([0-9.]+)"));
    const QRegularExpressionMatch m = figure.match(output);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = m.capturedView(0).mid(5).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool isSafeHost(const QString& host) {
    if (host.isEmpty() || host.startsWith(u'-'))
        return false;
    for (const QChar c : host) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

void ping(const QString& host, QObject* context, std::function<void(std::optional<double>)> done,
          const platform::Tool& tool) {
    if (!isSafeHost(host)) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done)] { done(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    run(
        tool.path, tool.arguments + QStringList{host}, pingTimeout, context,
        [done = std::move(done)](const QString& out) { done(pingTime(out)); }, tool.environment);
}

PingMethod systemPing() {
    if (auto echo = platform::echoSockets())
        return {u"gniazdo ICMP"_s, echoPinger(std::move(echo))};
    return {platform::pingTool().path,
            [](const QString& host, QObject* context, auto done) { ping(host, context, std::move(done)); }};
}
