#include "cli/snapshot_test.h"

#include "common/printable.h"
#include "common/snapshot.h"
#include "core/clock.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

void snapshotTest(QTextStream& out) {
    const auto url = Snapshot::url();
    // The path comes from the environment and the name from a file anyone may have replaced.
    out << "url: " << (url ? printable(*url) : u"BRAK (brak uprawnienia App Group)"_s) << Qt::endl;

    Snapshot test;
    test.time = Clock::system().now();
    test.down = 1.0;
    test.hosts = {{QString(), u"test"_s, 1.0}};
    test.write();

    const auto read = url ? Snapshot::read() : std::nullopt;
    out << "read: " << (read && !read->hosts.isEmpty() ? printable(read->hosts.first().name) : u"BRAK"_s) << Qt::endl;
}
