#include "common/stale_temporaries.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

void removeStaleTemporaries(const QString& dir, const QString& prefix, const QDateTime& now) {
    const QRegularExpression ours(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(prefix) + u"[A-Za-z0-9]{6}"_s));
    // A write in flight holds its file for milliseconds; a minute leaves another instance's writes alone.
    const QDateTime before = now.addSecs(-60);
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (ours.match(entry.fileName()).hasMatch() && entry.lastModified() < before)
            QFile::remove(entry.filePath());
    }
}
