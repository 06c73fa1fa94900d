#pragma once

#include <QString>
#include <optional>

// The folder shared by the application and the widget: named after the app-group identifier, inside the
// user's data directory. Absent when the system gives no data directory.
std::optional<QString> containerDirectory();

// The app-group identifier: team prefix and the application's reverse-DNS name.
extern const char* const appGroupId;
