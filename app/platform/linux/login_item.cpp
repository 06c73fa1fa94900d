#include "platform/platform.h"

#include "common/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace platform::login {

namespace {

// The desktop's autostart folder starts every entry it holds at login.
QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart/tarnwick.desktop"_s;
}

// The program's path as an Exec value: quoted when it holds characters the desktop entry format reserves.
QString execValue(const QString& program) {
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    QString escaped = program;
    escaped.replace(u'%', u"%%"_s);
    if (std::none_of(program.cbegin(), program.cend(), [](QChar c) { return reserved.contains(c); }))
        return escaped;
    QString quoted;
    for (const QChar c : std::as_const(escaped)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace

bool enabled() {
    const QString path = entryPath();
    if (!QFile::exists(path))
        return false;
    const auto entry = openSettings(path);
    const QString hidden = entry->value(u"Desktop Entry/Hidden"_s).toString();
    const QString gnome = entry->value(u"Desktop Entry/X-GNOME-Autostart-enabled"_s).toString();
    return hidden != u"true"_s && gnome != u"false"_s;
}

std::optional<QString> enable() {
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return u"nie można utworzyć katalogu "_s + QFileInfo(path).path();
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return u"nie można zapisać "_s + path + u": "_s + f.errorString();
    const QString entry = u"[Desktop Entry]\n"
                          u"Type=Application\n"
                          u"Name=Tarnwick\n"
                          u"Comment=Ping, przepustowość i stan sieci w zasobniku systemowym\n"
                          u"Exec="_s +
                          execValue(QCoreApplication::applicationFilePath()) +
                          u"\n"
                          u"Icon=tarnwick\n"
                          u"Terminal=false\n"
                          u"X-GNOME-Autostart-enabled=true\n"_s;
    f.write(entry.toUtf8());
    if (!f.commit())
        return u"nie można zapisać "_s + path + u": "_s + f.errorString();
    return std::nullopt;
}

std::optional<QString> disable() {
    QFile f(entryPath());
    if (!f.exists() || f.remove())
        return std::nullopt;
    return u"nie można usunąć "_s + f.fileName() + u": "_s + f.errorString();
}

} // namespace platform::login
