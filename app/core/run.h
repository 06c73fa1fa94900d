#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

class QObject;

// Runs the executable at `path` with `arguments` (no shell, no search path, standard input and error on the
// null device, the inherited environment plus `environment`) and hands what it wrote to standard output,
// decoded as UTF-8 with bad sequences replaced, to `done` exactly once, always from the event loop of
// `context` and never after `context` is gone. A child that cannot start yields the empty text at once;
// one still running after `timeout` is asked to end, then killed if it ignores that, and yields what it
// wrote until then.
void run(const QString& path, const QStringList& arguments, std::chrono::milliseconds timeout, QObject* context,
         std::function<void(QString)> done, const QMap<QString, QString>& environment = {});
