#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A throw-away home: HOME and the XDG folders point into a temporary directory until destruction.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }
    QString config() const { return path() + QStringLiteral("/config"); }
    QString data() const { return path() + QStringLiteral("/data"); }
    QString runtime() const { return path() + QStringLiteral("/runtime"); }

private:
    QTemporaryDir dir_;
    QMap<QByteArray, std::optional<QByteArray>> saved_;
};
