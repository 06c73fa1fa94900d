#include "cli/details.h"

#include "common/printable.h"
#include "core/monitor.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Long enough for two process samples and a slow reading, even when a tool is slow to answer.
constexpr std::chrono::seconds giveUp{20};

// A row's symbol is left out: every classified row already names its class in the label ("eth0 · LAN").
QString rowLine(const DetailRow& row, qsizetype width) {
    return u"  "_s + row.k.leftJustified(width) + u"  "_s + row.v;
}

} // namespace

QString detailsText(const DetailFacts& f) {
    QString text;
    const QList<DetailCard> cards = detailCards(f);
    for (const DetailCard& card : cards) {
        QList<DetailRow> rows = card.rows;
        if (card.title == u"Adresy") {
            const auto result = publicIPResult(f);
            rows.append({u"Publiczny IP"_s, result ? result->text : u"Sprawdź"_s, {}});
        }
        // Names from the network, from Tailscale and from processes show their control characters.
        for (DetailRow& row : rows) {
            row.k = printable(row.k);
            row.v = printable(row.v);
        }
        qsizetype width = 0;
        for (const DetailRow& row : rows)
            width = std::max(width, row.k.size());
        text += card.title + u'\n';
        if (rows.isEmpty() && card.empty)
            text += u"  "_s + *card.empty + u'\n';
        for (const DetailRow& row : rows)
            text += rowLine(row, width) + u'\n';
        text += u'\n';
    }
    return text;
}

int runDetails(int& argc, char** argv, const std::optional<QStringList>& hosts) {
    QCoreApplication app(argc, argv);
    Monitor::Deps deps;
    deps.hosts = hosts;
    Monitor m(std::move(deps));
    m.advancedActive = [] { return true; };
    QTextStream out(stdout);
    bool printed = false;
    const auto print = [&] {
        if (printed)
            return;
        printed = true;
        out << detailsText(detailFacts(m.adv(), m));
        out.flush();
        QCoreApplication::quit();
    };
    QObject::connect(&m, &Monitor::refreshed, &app, [&] {
        if (m.adv().samples() >= 2 && m.adv().slowReadings() >= 1)
            print();
    });
    QTimer::singleShot(giveUp, &app, print);
    platform::onTermination(&app, [] { QCoreApplication::quit(); });
    m.refresh();
    m.start();
    app.exec();
    m.usage().save();
    return 0;
}
