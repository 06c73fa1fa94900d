#pragma once

#include <QWidget>
#include <functional>

// The version line: the running system's name, the version and, when it differs, the build
// ("Linux: 1.0 b12").
QString aboutVersion(const QString& system, const QString& version, const QString& build);

// Names the program with its version and build, and says in one sentence what it does.
class AboutWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    // `system` names the running system; `actions` takes the commands of the program's keys (Ctrl+R, Ctrl+Q).
    AboutWindow(const QString& system, const std::function<void(const QString&)>& actions, QWidget* parent = nullptr);
};
