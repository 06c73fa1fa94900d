#pragma once

#include <QString>
#include <memory>

class QSettings;

// The INI settings file at `path`. When what is there is no readable regular file of a settings file's size
// (a FIFO, a device, a huge or an unreadable file, or one with variants not of our making), QSettings would
// block on it, read it whole, replace it at the first change or reserve gigabytes: the settings then live in
// memory for this run, and stderr says so.
std::unique_ptr<QSettings> openSettings(const QString& path);
