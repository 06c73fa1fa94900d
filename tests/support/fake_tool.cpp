#include "support/fake_tool.h"

#include <QFile>

QString FakeTools::script(const QString& name, const QString& body) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write("#!/bin/sh\n");
    f.write(body.toUtf8());
    f.write("\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString FakeTools::printing(const QString& name, const QString& output) {
    QString quoted = output;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return script(name, QStringLiteral("printf '%s' '") + quoted + QLatin1Char('\''));
}
