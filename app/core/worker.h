#pragma once

#include <QThread>
#include <functional>

// A thread of its own that runs the tasks posted to it one after another, in order. Destruction runs what is
// posted and then joins the thread.
class Worker final {
public:
    Worker();
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void post(std::function<void()> task);

private:
    QThread thread_;
    QObject* context_;
};
