#include "support/temp_home.h"
#include "widget/desktop_widget.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QVariant saved(const QString& key) {
    return QSettings(u"Tarnwick"_s, u"Widget"_s).value(key);
}

} // namespace

class TestDesktopWidget : public QObject {
    Q_OBJECT

    TempHome home;

    QRect area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

private slots:
    void init() { QFile::remove(QSettings(u"Tarnwick"_s, u"Widget"_s).fileName()); }

    void firstStartsAtTheTopRight() {
        DesktopWidget w(Family::Medium);
        QVERIFY(area().contains(w.geometry()));
        QVERIFY(w.geometry().right() > area().center().x() && w.geometry().top() < area().center().y());
        QVERIFY(w.flags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint));
    }

    void remembersWhereItWasPut() {
        {
            DesktopWidget w(Family::Small);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.setPosition(40, 60);
            QTRY_COMPARE(saved(u"small/position"_s).toPoint(), QPoint(40, 60));
        }
        // Each size keeps its own place.
        QCOMPARE(DesktopWidget(Family::Small).position(), QPoint(40, 60));
        QVERIFY(!saved(u"medium/position"_s).isValid());
    }

    // A place saved on a bigger screen, or one that is gone, is pulled back onto this one.
    void staysOnScreen_data() {
        QTest::addColumn<QPoint>("stored");
        QTest::newRow("far right and down") << QPoint(50'000, 40'000);
        QTest::newRow("left and above") << QPoint(-3000, -2000);
    }
    void staysOnScreen() {
        QFETCH(QPoint, stored);
        QSettings(u"Tarnwick"_s, u"Widget"_s).setValue(u"medium/position"_s, stored);
        const DesktopWidget w(Family::Medium);
        QVERIFY2(area().contains(w.geometry()), qPrintable(u"%1,%2"_s.arg(w.x()).arg(w.y())));
    }
};

QTEST_MAIN(TestDesktopWidget)
#include "tst_desktop_widget.moc"
