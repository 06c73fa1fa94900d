#include "core/worker.h"

Worker::Worker()
    : context_(new QObject) {
    context_->moveToThread(&thread_);
    thread_.start();
}

Worker::~Worker() {
    // Queued behind every task posted before; the context goes with the thread's end.
    post([this] {
        context_->deleteLater();
        thread_.quit();
    });
    thread_.wait();
}

void Worker::post(std::function<void()> task) {
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}
