#pragma once

#include "core/history_store.h"

#include <QStringList>

// What `--history` prints of the hours before `now`: per host the share of time it answered, its outages and
// each hour's latency. `hosts` orders the hosts (others follow by name); `labels` names them.
QString historyReport(const HistoryStore::Loaded& h, Timestamp now, int hours, const QStringList& hosts,
                      const QMap<QString, QString>& labels);

// The minute rows as CSV with a header line; times in ISO 8601 with the local offset, round-trip times in ms.
QString historyCsv(const QList<MinuteRow>& rows);

// Reads the history database and prints the report or the CSV of the last `hours`. Returns the exit status.
int runHistory(int& argc, char** argv, int hours, bool csv);
