#pragma once

#include <QString>
#include <QTemporaryDir>

// Small executables written by a test to stand in for a system tool.
class FakeTools {
public:
    // A shell script named `name` with `body` after the interpreter line; returns its path.
    QString script(const QString& name, const QString& body);
    // A script that prints `output` and exits.
    QString printing(const QString& name, const QString& output);
    QString dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};
