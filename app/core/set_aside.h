#pragma once

#include <QString>
#include <optional>

// Moves a damaged file out of the way, beside itself, under a name that says so and when
// ("history.damaged-20260314-120000.sqlite"), so the user keeps what it may still hold. Returns the new name,
// or nothing when it could not be moved.
std::optional<QString> setAside(const QString& file);
