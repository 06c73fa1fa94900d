#include "common/command_line.h"

#include "common/printable.h"

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const Switch* lookup(const QList<Switch>& known, const QString& name) {
    const auto it = std::find_if(known.cbegin(), known.cend(), [&](const Switch& s) { return s.name == name; });
    return it == known.cend() ? nullptr : &*it;
}

// Two columns, the second aligned one space past the widest first column.
QString table(const QList<std::pair<QString, QString>>& rows) {
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto& [left, right] : rows)
        text += u"  "_s + left.leftJustified(width + 2) + right + u'\n';
    return text;
}

} // namespace

QString Switch::shown() const {
    return values.isEmpty() ? name : name + u' ' + values;
}

CommandLine readCommandLine(const QStringList& args, const QList<Switch>& known) {
    CommandLine c;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i] == u"-h" ? u"--help"_s : args[i];
        QStringList values;
        if (const qsizetype eq = name.indexOf(u'='); name.startsWith(u"--") && eq > 0) {
            values.append(name.mid(eq + 1));
            name.truncate(eq);
        }
        const Switch* s = lookup(known, name);
        if (!s) {
            c.error = (name.startsWith(u'-') ? u"nieznana opcja: "_s : u"zbędny argument: "_s) + args[i];
            return c;
        }
        const qsizetype wanted = s->values.isEmpty() ? 0 : s->values.count(u' ') + 1;
        if (values.size() > wanted) {
            c.error = u"opcja nie przyjmuje wartości: "_s + args[i];
            return c;
        }
        // A value never starts with a dash: "--hosts --watch" lacks the hosts.
        while (values.size() < wanted && i + 1 < args.size() && !args[i + 1].startsWith(u'-'))
            values.append(args[++i]);
        if (values.size() < wanted) {
            c.error = u"brak wartości: "_s + s->shown();
            return c;
        }
        c.given.insert(name, values);
    }
    return c;
}

QString helpText(const Help& h) {
    QList<std::pair<QString, QString>> switches;
    for (const Switch& s : h.switches)
        switches.append({s.name == u"--help" ? u"-h, --help"_s : s.shown(), s.text});
    QList<std::pair<QString, QString>> exits;
    for (const auto& [status, when] : h.exits)
        exits.append({QString::number(status), when});
    exits.append({u"2"_s, u"nieznana opcja, brak wartości albo zbędny argument; nic nie zostaje uruchomione"_s});
    return u"Użycie: "_s + h.program + u" [OPCJA]…\n"_s + h.about + u"\n\nOpcje:\n"_s + table(switches) +
           u"\nPliki (według XDG_CONFIG_HOME i XDG_DATA_HOME):\n"_s + table(h.files) + u"\nKod wyjścia:\n"_s +
           table(exits);
}

int refuse(const Help& h, const QString& error) {
    // The error quotes the argument as given, which may hold anything.
    const QByteArray text = (h.program + u": "_s + printable(error) + u"\n\n"_s + helpText(h)).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return 2;
}
