#pragma once

#include <QDateTime>
#include <QString>

// Removes what writes killed between creating a temporary file and renaming it left in `dir`: regular files,
// not links, named `prefix` and the six letters or digits that fill a template's "XXXXXX", which nobody has
// written to for over a minute.
void removeStaleTemporaries(const QString& dir, const QString& prefix,
                            const QDateTime& now = QDateTime::currentDateTimeUtc());
