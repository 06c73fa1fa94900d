#include "common/settings_file.h"

#include "common/settings_variants.h"
#include "common/untrusted_file.h"

#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

// Thousands of hosts fit in far less.
constexpr qint64 maxSettingsSize = 4 * 1024 * 1024;

} // namespace

std::unique_ptr<QSettings> openSettings(const QString& path) {
    UntrustedFile f = readUntrusted(path, maxSettingsSize);
    if (f.status == UntrustedFile::Status::Read && !variantsAreTextMaps(f.bytes))
        f = {UntrustedFile::Status::Failed, {}, u"wartość @Variant, której Tarnwick nie zapisuje"_s};
    if (f.status == UntrustedFile::Status::Read || f.status == UntrustedFile::Status::Missing)
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    reportLeftAlone(path, f);
    // Nothing can be read or created below /dev/null, so QSettings keeps every change in memory.
    return std::make_unique<QSettings>(u"/dev/null/"_s + QFileInfo(path).fileName(), QSettings::IniFormat);
}
