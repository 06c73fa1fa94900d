#pragma once

#include <QByteArrayView>

// QSettings decodes "@Variant(…)" values with QDataStream, which trusts the element counts it reads: a few
// hundred crafted bytes make it reserve gigabytes. Ours only ever hold a map of texts (the host labels), so
// a settings file whose variants are anything else, or do not add up, is not ours to read.
bool variantsAreTextMaps(QByteArrayView ini);
