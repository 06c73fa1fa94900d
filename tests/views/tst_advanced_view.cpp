#include "advanced_sheet.h"
#include "core/monitor.h"
#include "core/panel_state.h"
#include "details/advanced.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"
#include "support/temp_home.h"
#include "views/advanced_content.h"
#include "views/advanced_location.h"
#include "views/advanced_public_ip.h"
#include "views/advanced_rows.h"
#include "views/advanced_view.h"
#include "views/card.h"
#include "views/detail_rows.h"
#include "views/kv_row.h"
#include "views/label.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int panelWidth = 312;

QList<KVRow*> shownRows(const AdvancedRows* rows) {
    QList<KVRow*> shown;
    for (KVRow* r : rows->findChildren<KVRow*>())
        if (r->isVisibleTo(rows))
            shown.append(r);
    return rows->isVisibleTo(rows->parentWidget()) ? shown : QList<KVRow*>();
}

// Opens the row's context menu and chooses its one item.
QString copyFrom(KVRow* row, QString* itemText = nullptr) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), row->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(row, &event);
    auto* menu = row->findChild<QMenu*>();
    if (!menu || menu->actions().size() != 1)
        return u"(no menu)"_s;
    if (itemText)
        *itemText = menu->actions().first()->text();
    menu->actions().first()->trigger();
    delete menu;
    return QGuiApplication::clipboard()->text();
}

class FakeDetails final : public platform::Details {
public:
    std::optional<platform::WifiLink> wifi() override { return std::nullopt; }
    QList<platform::Address> addresses() override { return {}; }
    platform::SlowFacts slow() override { return {}; }
    QByteArray processSample() override { return "name,bytes_in,bytes_out\n"; }
};

// Answers every request with the same body, on loopback.
class TextServer final : public QTcpServer {
public:
    explicit TextServer(QByteArray body)
        : body_(std::move(body)) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().contains("\r\n\r\n"))
                        return;
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                             QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

private:
    QByteArray body_;
};

} // namespace

class TestAdvancedView : public QObject {
    Q_OBJECT

    TempHome home;
    FakeClock clock;
    std::shared_ptr<NetworkState> net = std::make_shared<NetworkState>();
    std::optional<Tailnet> tailnet;
    int files = 0;

    std::unique_ptr<Monitor> monitor() {
        Monitor::Deps d;
        d.clock = &clock;
        d.network = std::make_unique<FakeNetwork>(net);
        d.ping = [](const QString&, QObject*, auto done) { done(std::nullopt); };
        d.tailnet = [this](QObject*, auto done) { done(tailnet); };
        d.prefs = Preferences(home.config() + u"/prefs-%1.conf"_s.arg(++files));
        d.usage.file = home.data() + u"/usage-%1.json"_s.arg(files);
        d.usage.notify = [](const platform::Notification&) {};
        d.hosts = QStringList{u"127.0.0.1"_s};
        return std::make_unique<Monitor>(std::move(d));
    }

    // Lets the Tailscale status be asked for again.
    void refresh(Monitor& m) {
        clock.advance(11s);
        m.refresh();
    }

private slots:
    // Each card shows exactly the rows of its facts, with nothing clipped, whichever facts came before.
    void cards() {
        for (const DetailFacts& facts : {DetailFacts{}, laptopFacts(), longFacts(), staleFacts()}) {
            AdvancedContent content;
            content.setFacts(laptopFacts());
            content.setFacts(facts);
            content.setFixedWidth(panelWidth);
            content.resize(panelWidth, content.heightForWidth(panelWidth));
            content.show();
            QVERIFY(QTest::qWaitForWindowExposed(&content));
            const QImage image = content.grab().toImage();
            QVERIFY(!image.isNull());

            const QList<DetailCard> want = detailCards(facts);
            QCOMPARE(content.cards().size(), want.size());
            for (qsizetype c = 0; c < want.size(); ++c) {
                QCOMPARE(content.cards()[c]->title(), want[c].title);
                const QList<KVRow*> rows = shownRows(content.rows()[c]);
                QCOMPARE(rows.size(), want[c].rows.size());
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    KVRow* row = rows[i];
                    QCOMPARE(row->k(), want[c].rows[i].k);
                    QCOMPARE(row->v(), want[c].rows[i].v);
                    QCOMPARE(row->symbol(), want[c].rows[i].symbol);
                    QVERIFY2(row->height() >= row->heightForWidth(row->width()), qPrintable(row->k()));
                    QVERIFY(row->mapTo(&content, QPoint(row->width(), 0)).x() <= panelWidth);
                    // Shortened values keep both ends; whole ones are drawn as they are, on one line.
                    const QString shown = row->shownValue();
                    const QString v = row->v().trimmed();
                    QVERIFY(!shown.contains(u'\n'));
                    if (shown != v) {
                        QVERIFY2(shown.contains(u'…'), qPrintable(shown));
                        QVERIFY2(shown.startsWith(v.left(2)) && shown.endsWith(v.right(1)), qPrintable(shown));
                    }
                }
            }
            // No title stands alone: a card without rows says why, unless it shows something else.
            for (const Card* card : content.cards()) {
                bool shown = false;
                for (int i = 0; i < card->body()->count(); ++i) {
                    const QWidget* w = card->body()->itemAt(i)->widget();
                    shown = shown || (w && w->isVisibleTo(&content));
                }
                QVERIFY2(shown, qPrintable(card->title()));
            }
            QCOMPARE(content.location()->isVisibleTo(&content), facts.needsLocation);
            const auto result = publicIPResult(facts);
            QCOMPARE(content.publicIP()->button()->isVisibleTo(&content), !result);
            QCOMPARE(content.publicIP()->result()->isVisibleTo(&content), result.has_value());
            if (result)
                QCOMPARE(content.publicIP()->result()->v(), result->text);
        }
    }

    // The row's menu copies its value, or the part of it the row names; an ampersand is no shortcut.
    void copy() {
        const std::tuple<QString, std::optional<QString>, QString, QString> rows[] = {
            {u"192.168.1.1"_s, std::nullopt, u"Kopiuj 192.168.1.1"_s, u"192.168.1.1"_s},
            {u"R&D"_s, std::nullopt, u"Kopiuj R&&D"_s, u"R&D"_s},
            {u"203.0.113.7\n"_s, std::nullopt, u"Kopiuj 203.0.113.7"_s, u"203.0.113.7\n"_s},
            {u"203.0.113.7 = exit node nl-exit"_s, u"203.0.113.7"_s, u"Kopiuj 203.0.113.7"_s, u"203.0.113.7"_s}};
        for (const auto& [value, copy, item, clipboard] : rows) {
            QGuiApplication::clipboard()->setText(u"something else"_s);
            KVRow row;
            row.set(u"DNS"_s, value, std::nullopt, copy);
            row.resize(panelWidth, 20);
            QString text;
            QCOMPARE(copyFrom(&row, &text), clipboard);
            QCOMPARE(text, item);
        }
    }

    // The looked-up address belongs to the route it was looked up on; another exit node brings the button back.
    void stalePublicIP() {
        TextServer server("203.0.113.7");
        Advanced::Deps d;
        d.source = std::make_unique<FakeDetails>();
        d.publicIPUrl = QUrl(u"http://127.0.0.1:%1/"_s.arg(server.serverPort()));
        Advanced a(clock, std::move(d));
        auto m = monitor();
        PanelState ps(Preferences(home.config() + u"/panel.conf"_s));
        AdvancedView view(a, *m, ps);
        AdvancedPublicIP* line = view.content()->publicIP();

        tailnet = exitVia(u"nl-exit"_s, u"203.0.113.7:41641"_s);
        refresh(*m);
        QVERIFY(line->button()->isVisibleTo(&view));
        line->button()->click();
        QCOMPARE(a.publicIPExit(), std::optional(u"nl-exit"_s));
        QVERIFY(line->result()->isVisibleTo(&view));
        QVERIFY(line->result()->v().startsWith(u"…"_s));
        QTRY_COMPARE_WITH_TIMEOUT(line->result()->v(), u"203.0.113.7 = exit node nl-exit"_s, 10000);
        QCOMPARE(copyFrom(line->result()), u"203.0.113.7"_s);

        tailnet = exitVia(u"de-exit"_s, {});
        refresh(*m);
        QVERIFY(line->button()->isVisibleTo(&view));
        QVERIFY(!line->result()->isVisibleTo(&view));

        tailnet.reset();
        refresh(*m);
        QVERIFY(line->button()->isVisibleTo(&view));
        line->button()->click();
        QVERIFY(!a.publicIPExit());
        QTRY_COMPARE_WITH_TIMEOUT(line->result()->v(), u"203.0.113.7"_s, 10000);
    }

    // The panel state learns the content's true height and whether it is scrolled to the top; the view
    // takes the height the state allows.
    void height() {
        Advanced a(clock);
        auto m = monitor();
        PanelState ps(Preferences(home.config() + u"/height.conf"_s));
        ps.screenHeight = [] { return std::optional(520.0); };
        AdvancedView view(a, *m, ps);
        view.setFixedWidth(panelWidth);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // Layout settles outward one widget per round.
        const auto bottom = [&] {
            for (int round = 0; round < 8; ++round)
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            return double(view.content()->cards().last()->geometry().bottom() + 1);
        };
        const double before = ps.contentH();
        QCOMPARE(before, bottom());

        tailnet = exitVia(u"nl-exit"_s, {});
        refresh(*m);
        QCOMPARE(ps.contentH(), bottom());
        QVERIFY(ps.contentH() > before);

        QVERIFY(ps.contentH() > 220.0);
        QCOMPARE(ps.limit(), 220.0);
        QCOMPARE(view.height(), 220);
        QScrollBar* bar = view.scroller()->verticalScrollBar();
        QVERIFY(bar->maximum() > 2);
        bar->setValue(2);
        QVERIFY(!ps.atTop());
        bar->setValue(1);
        QVERIFY(ps.atTop());

        ps.screenHeight = [] { return std::optional(2000.0); };
        ps.setExpand(2000.0);
        QCOMPARE(view.height(), int(std::lround(ps.contentH())));
        QCOMPARE(bar->maximum(), 0);

        // Content that shrinks inside a view showing all of it takes the view down with it.
        tailnet.reset();
        refresh(*m);
        QCOMPARE(ps.contentH(), bottom());
        QCOMPARE(ps.contentH(), before);
        QCOMPARE(view.height(), int(std::lround(before)));
    }
};

QTEST_MAIN(TestAdvancedView)
#include "tst_advanced_view.moc"
