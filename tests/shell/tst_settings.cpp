#include "common/texts.h"
#include "fake_monitor.h"
#include "shell/login_item.h"
#include "support/temp_home.h"
#include "views/hotspot_card.h"
#include "views/label.h"
#include "views/settings_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

using Labels = QMap<QString, QString>;

namespace {

QList<HostRow> rowsOf(const QList<std::pair<QString, QString>>& texts) {
    QList<HostRow> rows;
    for (const auto& [host, label] : texts)
        rows.append({QUuid::createUuid(), host, label});
    return rows;
}

QStringList hostsOf(const QList<HostRow>& rows) {
    QStringList hosts;
    for (const HostRow& r : rows)
        hosts.append(r.host);
    return hosts;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    TempHome home;
    FakeClock clock;
    int files = 0;

    struct Fixture {
        Preferences prefs;
        std::unique_ptr<Monitor> m;
        std::unique_ptr<SettingsWindow> w;

        QWidget* row(int i) const {
            QList<QWidget*> rows = w->findChildren<QWidget*>(u"row"_s);
            std::sort(rows.begin(), rows.end(), [](QWidget* a, QWidget* b) {
                const QLayout* list = a->parentWidget()->layout();
                return list->indexOf(a) < list->indexOf(b);
            });
            return rows.value(i);
        }
        QLineEdit* field(int i, const QString& name) const { return row(i)->findChild<QLineEdit*>(name); }
        template <typename T> T* find(const QString& name) const { return w->findChild<T*>(name); }
        QString error() const {
            const auto* e = find<QLabel>(u"error"_s);
            return e->isVisible() ? e->text() : QString();
        }
    };

    Fixture make(const QStringList& hosts, const Labels& labels = {}) {
        Fixture f{Preferences(home.config() + u"/s%1.conf"_s.arg(++files)), nullptr, nullptr};
        f.prefs.setHosts(hosts);
        f.prefs.setHostLabels(labels);
        f.m = std::make_unique<Monitor>(quietMonitor(clock, f.prefs, home.data() + u"/u%1.json"_s.arg(files)));
        f.w = std::make_unique<SettingsWindow>(
            *f.m, f.prefs, [](const QString&) {}, systemLoginItem());
        open(f);
        return f;
    }

    static void open(Fixture& f) {
        f.w->show();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    }

    static void type(QLineEdit* e, const QString& text) {
        e->setFocus();
        e->selectAll();
        e->insert(text);
    }

private slots:
    // Saving is refused with no rows, a blank host, a host twice or an unsafe one.
    void saveRules() {
        const QString none = u"Dodaj co najmniej jeden host."_s;
        const QString empty = u"Pusta nazwa hosta - uzupełnij albo usuń wiersz."_s;
        const QString twice = u"Ten sam host jest na liście dwa razy."_s;
        const QString unsafe = u"Nieprawidłowa nazwa hosta - nie może zaczynać się od \"-\" ani zawierać spacji."_s;
        const std::tuple<const char*, QList<std::pair<QString, QString>>, QString, QStringList, Labels> rows[] = {
            {"no rows", {}, none, {}, {}},
            {"all blank", {{u"  "_s, u"x"_s}, {u"\t"_s, {}}}, empty, {}, {}},
            {"same host around spaces", {{u" a"_s, {}}, {u"a\t"_s, {}}}, twice, {}, {}},
            {"option", {{u"-f"_s, {}}}, unsafe, {}, {}},
            {"space inside", {{u"a b"_s, {}}}, unsafe, {}, {}},
            {"line break is not trimmed", {{u"a\n"_s, {}}}, unsafe, {}, {}},
            {"control character", {{u"a\u0007"_s, {}}}, unsafe, {}, {}},
            {"letter case makes two hosts", {{u"Router"_s, {}}, {u"router"_s, {}}}, {}, {u"Router"_s, u"router"_s}, {}},
            {"inner hyphen and IPv6", {{u"my-host"_s, {}}, {u"::1"_s, {}}}, {}, {u"my-host"_s, u"::1"_s}, {}},
            {"labels trimmed, blank ones dropped",
             {{u" a "_s, u" Laptop\t"_s}, {u"b"_s, u"   "_s}},
             {},
             {u"a"_s, u"b"_s},
             {{u"a"_s, u"Laptop"_s}}}};
        for (const auto& [name, entered, error, hosts, labels] : rows) {
            const SavedHosts saved = saveRows(rowsOf(entered));
            QVERIFY2(saved.error.value_or(QString()) == error, name);
            QVERIFY2(!error.isEmpty() || (saved.hosts == hosts && saved.labels == labels), name);
        }
    }

    void showsMonitorHostsAndCancelDiscards() {
        Fixture f = make({u"127.0.0.1"_s, u"::1"_s}, {{u"::1"_s, u"szóstka"_s}});
        QCOMPARE(f.field(1, u"label"_s)->text(), u"szóstka"_s);
        QCOMPARE(f.field(0, u"label"_s)->text(), QString());
        type(f.field(0, u"host"_s), u"inny"_s);
        QTest::mouseClick(f.find<QAbstractButton>(u"plus"_s), Qt::LeftButton);
        QTest::mouseClick(f.find<QAbstractButton>(u"save"_s), Qt::LeftButton);
        QCOMPARE(f.error(), u"Pusta nazwa hosta - uzupełnij albo usuń wiersz."_s);
        QVERIFY(f.w->isVisible());
        QCOMPARE(hostsOf(f.w->rows()), (QStringList{u"inny"_s, u"::1"_s, QString()}));
        QTest::keyClick(f.w.get(), Qt::Key_Escape);
        QVERIFY(!f.w->isVisible());
        QCOMPARE(f.m->hosts(), (QStringList{u"127.0.0.1"_s, u"::1"_s}));
        open(f);
        QCOMPARE(hostsOf(f.w->rows()), (QStringList{u"127.0.0.1"_s, u"::1"_s}));
        QCOMPARE(f.error(), QString());
    }

    // Dragged rows keep their new order; Return in a field saves the trimmed rows and closes.
    void dragAndSave() {
        Fixture f = make({u"a"_s, u"b"_s, u"c"_s});
        QWidget* list = f.row(0)->parentWidget();
        auto* handle = f.row(0)->findChild<QWidget*>(u"handle"_s);
        QTest::mousePress(handle, Qt::LeftButton);
        const QPoint below = f.row(2)->geometry().bottomLeft() - QPoint(0, 2);
        QTest::mouseMove(handle, handle->mapFrom(list, below));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFrom(list, below));
        QCOMPARE(hostsOf(f.w->rows()), (QStringList{u"b"_s, u"c"_s, u"a"_s}));
        QTest::mouseClick(f.find<QAbstractButton>(u"plus"_s), Qt::LeftButton);
        type(f.field(3, u"host"_s), u"  127.0.0.2 "_s);
        type(f.field(3, u"label"_s), u" pętla "_s);
        QTest::keyClick(f.field(3, u"label"_s), Qt::Key_Return);
        QVERIFY(!f.w->isVisible());
        const QStringList saved{u"b"_s, u"c"_s, u"a"_s, u"127.0.0.2"_s};
        QCOMPARE(f.m->hosts(), saved);
        QCOMPARE(f.prefs.hosts(), saved);
        QCOMPARE(f.prefs.hostLabels(), (Labels{{u"127.0.0.2"_s, u"pętla"_s}}));
    }

    void limitKeptOnCancel() {
        Fixture f = make({u"a"_s});
        const HotspotCard card(f.m->usage());
        auto* limit = f.find<QLineEdit>(u"limit"_s);
        QCOMPARE(limit->text(), u"0"_s);
        type(limit, u"12.5"_s);
        QTest::mouseClick(f.find<QAbstractButton>(u"cancel"_s), Qt::LeftButton);
        QVERIFY(!f.w->isVisible());
        QCOMPARE(f.prefs.hotspotLimitGB(), 12.5);
        // The hotspot card shows the new limit at once.
        QVERIFY(card.findChild<Label*>(u"hotspotShare"_s)->text().endsWith(byteCount(12'500'000'000)));
        open(f);
        QCOMPARE(limit->text(), u"12.5"_s);
        // Text that is no amount leaves the limit alone.
        type(limit, u"dużo"_s);
        QTest::keyClick(f.w.get(), Qt::Key_Escape);
        QCOMPARE(f.prefs.hotspotLimitGB(), 12.5);
        type(limit, QString());
        QTest::keyClick(f.w.get(), Qt::Key_Escape);
        QCOMPARE(f.prefs.hotspotLimitGB(), 0.0);
    }

    // The outage notifications switch starts off; Anuluj drops a change of it, Zapisz stores it.
    void outageAlertsSavedNotCancelled() {
        Fixture f = make({u"a"_s});
        auto* alerts = f.find<QAbstractButton>(u"outageAlerts"_s);
        for (const QString& button : {u"cancel"_s, u"save"_s}) {
            QVERIFY(!alerts->isChecked());
            QTest::mouseClick(alerts, Qt::LeftButton);
            QTest::mouseClick(f.find<QAbstractButton>(button), Qt::LeftButton);
            QCOMPARE(f.prefs.outageAlerts(), button == u"save"_s);
            open(f);
            QCOMPARE(alerts->isChecked(), button == u"save"_s);
        }
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
