#include "views/settings_rows.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool blank(QChar c) {
    return c == u' ' || c == u'\t';
}

// A host starting with "-" reaches the ping tool as an option; white space or control characters break it
// into several arguments or none.
bool unsafe(const QString& host) {
    return host.startsWith(u'-') || std::any_of(host.cbegin(), host.cend(), [](QChar c) {
               return c.isSpace() || c.category() == QChar::Other_Control;
           });
}

} // namespace

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

SavedHosts saveRows(const QList<HostRow>& rows) {
    SavedHosts out;
    for (const HostRow& r : rows)
        out.hosts.append(trimBlanks(r.host));
    if (rows.isEmpty()) {
        out.error = u"Dodaj co najmniej jeden host."_s;
        return out;
    }
    if (out.hosts.contains(QString())) {
        out.error = u"Pusta nazwa hosta - uzupełnij albo usuń wiersz."_s;
        return out;
    }
    if (QSet<QString>(out.hosts.cbegin(), out.hosts.cend()).size() != out.hosts.size()) {
        out.error = u"Ten sam host jest na liście dwa razy."_s;
        return out;
    }
    if (std::any_of(out.hosts.cbegin(), out.hosts.cend(), unsafe)) {
        out.error = u"Nieprawidłowa nazwa hosta - nie może zaczynać się od \"-\" ani zawierać spacji."_s;
        return out;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (const QString label = trimBlanks(rows[i].label); !label.isEmpty())
            out.labels.insert(out.hosts[i], label);
    }
    return out;
}
