#include "core/set_aside.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

std::optional<QString> setAside(const QString& file) {
    const QFileInfo info(file);
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    const auto name = [&](const QString& suffix) {
        return info.path() + u'/' + info.completeBaseName() + u".damaged-"_s + stamp + suffix + u'.' + info.suffix();
    };
    QString target = name({});
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = name(u'-' + QString::number(n));
    if (!QFile::rename(file, target))
        return std::nullopt;
    return target;
}
