#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <functional>

// Runs `work` on `pool` and hands its result to `done` on the event loop of `context`; nothing is handed over
// once `context` is gone.
template <typename T>
void inBackground(QObject* context, std::function<T()> work, std::function<void(T)> done,
                  QThreadPool* pool = QThreadPool::globalInstance()) {
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(pool, std::move(work)));
}
