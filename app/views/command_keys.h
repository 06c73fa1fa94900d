#pragma once

#include <QString>
#include <functional>

class QWidget;

// Ctrl+R and Ctrl+Q anywhere in `window`: "refresh" and "quit" sent through `actions`, as in the panels.
void addCommandKeys(QWidget* window, const std::function<void(const QString&)>& actions);
