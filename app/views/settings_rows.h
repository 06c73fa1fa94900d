#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// One editable host line of the settings window.
struct HostRow {
    QUuid id;
    QString host;
    QString label;
};

// What a save stores, or the message that refused it.
struct SavedHosts {
    std::optional<QString> error;
    QStringList hosts;
    QMap<QString, QString> labels;
};

// Leading and trailing spaces and tabs removed; line breaks stay.
QString trimBlanks(const QString& text);

// Validates the rows in order of the messages a user sees first: no rows, an empty host, a host listed
// twice, then a host the ping tool would take as an option or split in two.
SavedHosts saveRows(const QList<HostRow>& rows);
