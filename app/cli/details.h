#pragma once

#include "views/detail_rows.h"

#include <QStringList>
#include <optional>

// The advanced view's cards as text: each title on its own line, then one indented line per row with the
// label and the value; the public-IP line closes the "Adresy" card.
QString detailsText(const DetailFacts& f);

// Collects the details for two process samples, prints them and returns the exit status.
int runDetails(int& argc, char** argv, const std::optional<QStringList>& hosts);
