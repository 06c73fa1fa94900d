#include "cli/watch.h"

#include "common/printable.h"
#include "core/formatters.h"
#include "core/globals.h"
#include "core/monitor.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

QString watchLine(const Monitor& m, const QDateTime& at) {
    QStringList parts{at.toString(u"HH:mm:ss"_s) + u" ↓ "_s + rate(m.down()) + u" ↑ "_s + rate(m.up()), m.network()};
    for (const QString& host : m.hosts())
        parts.append(m.name(host) + u' ' + ms(m.current(host)));
    // The network's name and the hosts' labels are anyone's text; the line stays one line of plain text.
    return printable(parts.join(u" · "_s));
}

Watch::Watch(const Monitor& m, QTextStream& out, QObject* parent)
    : QObject(parent)
    , m_(m)
    , out_(out) {
    connect(&m, &Monitor::refreshed, this, &Watch::print);
    if (!m.pingMethod().isEmpty())
        out_ << u"ping: "_s << m.pingMethod() << Qt::endl;
}

void Watch::print() {
    if (first_) {
        first_ = false;
        return;
    }
    out_ << watchLine(m_, QDateTime::currentDateTime()) << Qt::endl;
    if (out_.status() != QTextStream::Ok)
        emit outputClosed();
}
