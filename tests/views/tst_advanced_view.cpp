#include "advanced_sheet.h"
#include "views/advanced_content.h"
#include "views/advanced_location.h"
#include "views/advanced_public_ip.h"
#include "views/advanced_rows.h"
#include "views/card.h"
#include "views/detail_rows.h"
#include "views/kv_row.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

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

} // namespace

class TestAdvancedView : public QObject {
    Q_OBJECT

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
                }
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
};

QTEST_MAIN(TestAdvancedView)
#include "tst_advanced_view.moc"
