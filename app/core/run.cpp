#include "core/run.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

// How long a child may ignore the termination request before it is killed.
constexpr std::chrono::milliseconds killGrace{1000};
// No tool of ours prints this much; a runaway child is stopped rather than buffered without end.
constexpr qsizetype maxOutput = 16 * 1024 * 1024;

void stop(QProcess* p) {
    if (p->state() == QProcess::NotRunning)
        return;
    p->terminate();
    QTimer::singleShot(killGrace, p, [p] { p->kill(); });
}

// Owns one child: collects its output and completes exactly once.
class Child {
public:
    Child(QProcess* p, std::function<void(QString)> done)
        : p_(p)
        , done_(std::move(done)) {}

    void collect() {
        const QByteArray chunk = p_->readAllStandardOutput();
        if (out_.size() + chunk.size() > maxOutput) {
            stop(p_);
            return;
        }
        out_ += chunk;
    }

    void complete() {
        if (completed_)
            return;
        completed_ = true;
        collect();
        QMetaObject::invokeMethod(
            p_->parent(), [done = std::move(done_), text = QString::fromUtf8(out_)] { done(text); },
            Qt::QueuedConnection);
        p_->deleteLater();
    }

private:
    QProcess* p_;
    std::function<void(QString)> done_;
    QByteArray out_;
    bool completed_ = false;
};

} // namespace

void run(const QString& path, const QStringList& arguments, std::chrono::milliseconds timeout, QObject* context,
         std::function<void(QString)> done, const QMap<QString, QString>& environment) {
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.isFile() || !file.isExecutable()) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done)] { done(QString()); }, Qt::QueuedConnection);
        return;
    }
    auto* p = new QProcess(context);
    p->setProgram(path);
    p->setArguments(arguments);
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = environment.cbegin(); it != environment.cend(); ++it)
            env.insert(it.key(), it.value());
        p->setProcessEnvironment(env);
    }
    auto child = std::make_shared<Child>(p, std::move(done));
    QObject::connect(p, &QProcess::readyReadStandardOutput, p, [child] { child->collect(); });
    QObject::connect(p, &QProcess::finished, p, [child] { child->complete(); });
    QObject::connect(p, &QProcess::errorOccurred, p, [child](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            child->complete();
    });
    // The owner is going away: end the child now instead of leaving it to the process destructor's warning.
    QObject::connect(context, &QObject::destroyed, p, [p] {
        p->disconnect();
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(1000);
        }
    });
    QTimer::singleShot(timeout, p, [p] { stop(p); });
    p->start(QIODevice::ReadOnly);
}
