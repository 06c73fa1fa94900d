#include "support/temp_home.h"

#include <QDir>

TempHome::TempHome() {
    const QMap<QByteArray, QString> vars{
        {"HOME", path()}, {"XDG_CONFIG_HOME", config()}, {"XDG_DATA_HOME", data()}, {"XDG_RUNTIME_DIR", runtime()}};
    for (auto it = vars.cbegin(); it != vars.cend(); ++it) {
        saved_.insert(it.key(), qEnvironmentVariableIsSet(it.key()) ? std::optional(qgetenv(it.key())) : std::nullopt);
        QDir().mkpath(it.value());
        qputenv(it.key(), it.value().toUtf8());
    }
    QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TempHome::~TempHome() {
    for (auto it = saved_.cbegin(); it != saved_.cend(); ++it) {
        if (it.value())
            qputenv(it.key(), *it.value());
        else
            qunsetenv(it.key());
    }
}
