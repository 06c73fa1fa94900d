#include "views/command_keys.h"

#include <QAction>
#include <QWidget>

using namespace Qt::StringLiterals;

void addCommandKeys(QWidget* window, const std::function<void(const QString&)>& actions) {
    for (const auto& [keys, id] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_R), u"refresh"_s},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::Key_Q), u"quit"_s}}) {
        auto* action = new QAction(window);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, window, [actions, id] { actions(id); });
        window->addAction(action);
    }
}
