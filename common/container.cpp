#include "common/container.h"

#include <QStandardPaths>

const char* const appGroupId = "TW7K3QX9PL.app.tarnwick";

std::optional<QString> containerDirectory() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return std::nullopt;
    return data + u'/' + QLatin1StringView(appGroupId);
}
