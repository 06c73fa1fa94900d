#include "shell/floating_panel.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr QPoint origin(300, 200);

// A panel holding one control, a button unless said otherwise, first placed at `origin`.
struct Fixture {
    QWidget* button;
    std::unique_ptr<FloatingPanel> panel;

    explicit Fixture(const Preferences& prefs, QWidget* control = new QPushButton(u"Odśwież"_s))
        : button(control) {
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(button);
        panel = std::make_unique<FloatingPanel>(content, prefs, Preferences::Frame::Mini,
                                                [](const QRect&, QSize) { return origin; });
        panel->show();
    }

    // Pointer events at absolute screen points, as a real pointer delivers them while the panel moves.
    QPoint at(QPoint global) const { return button->mapFromGlobal(global); }
    void press(QPoint global) const { QTest::mousePress(button, Qt::LeftButton, {}, at(global)); }
    void move(QPoint global) const { QTest::mouseMove(button, at(global)); }
    void release(QPoint global) const { QTest::mouseRelease(button, Qt::LeftButton, {}, at(global)); }
};

} // namespace

class TestFloatingPanel : public QObject {
    Q_OBJECT

    TempHome home;
    int files = 0;
    Preferences prefs{QString()};

private slots:
    void init() { prefs = Preferences(home.config() + u"/f%1.conf"_s.arg(++files)); }

    void firstPlacementAndSavedFrame() {
        {
            Fixture f(prefs);
            QCOMPARE(f.panel->pos(), origin);
            QVERIFY(!prefs.frame(Preferences::Frame::Mini));
        }
        prefs.setFrame(Preferences::Frame::Mini, QRect(40, 50, 200, 100));
        Fixture f(prefs);
        QCOMPARE(f.panel->pos(), QPoint(40, 50));
    }

    void dragNeedsTwoPixels_data() {
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<bool>("dragged");
        QTest::newRow("one pixel: a click") << QPoint(1, 1) << false;
        QTest::newRow("two pixels") << QPoint(0, 2) << true;
        QTest::newRow("far, both axes") << QPoint(-120, 45) << true;
    }
    void dragNeedsTwoPixels() {
        QFETCH(QPoint, travel);
        QFETCH(bool, dragged);
        Fixture f(prefs);
        f.panel->startAutosave();
        QSignalSpy clicked(static_cast<QPushButton*>(f.button), &QPushButton::clicked);
        const QPoint start = f.button->mapToGlobal(f.button->rect().center());
        f.press(start);
        // The pointer travels in steps; the panel follows it, not the content under it.
        f.move(start + travel / 2);
        f.move(start + travel);
        f.release(start + travel);
        QCOMPARE(f.panel->pos(), dragged ? origin + travel : origin);
        QCOMPARE(clicked.size(), dragged ? 0 : 1);
        QCOMPARE(prefs.frame(Preferences::Frame::Mini).has_value(), dragged);
        if (dragged)
            QCOMPARE(prefs.frame(Preferences::Frame::Mini)->topLeft(), origin + travel);
    }

    // A drag that starts on a scroll bar, a slider or a text field is that control's.
    void dragLeavesControlsTheirOwn_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("dragged");
        QTest::newRow("label") << u"label"_s << true;
        QTest::newRow("scroll bar") << u"scroll bar"_s << false;
        QTest::newRow("slider") << u"slider"_s << false;
        QTest::newRow("text field") << u"text field"_s << false;
    }
    void dragLeavesControlsTheirOwn() {
        QFETCH(QString, control);
        QFETCH(bool, dragged);
        QWidget* widget = [&]() -> QWidget* {
            if (control == u"label"_s)
                return new QLabel(u"Tarnwick"_s);
            if (control == u"scroll bar"_s)
                return new QScrollBar(Qt::Vertical);
            if (control == u"slider"_s)
                return new QSlider(Qt::Horizontal);
            return new QLineEdit(u"127.0.0.1"_s);
        }();
        widget->setMinimumSize(60, 60);
        Fixture f(prefs, widget);
        const QPoint start = widget->mapToGlobal(widget->rect().center());
        f.press(start);
        f.move(start + QPoint(0, 10));
        f.move(start + QPoint(0, 30));
        f.release(start + QPoint(0, 30));
        QCOMPARE(f.panel->pos(), dragged ? origin + QPoint(0, 30) : origin);
    }

    void savesOnlyOnceAutosaveStarts() {
        Fixture f(prefs);
        f.panel->move(10, 10);
        QVERIFY(!prefs.frame(Preferences::Frame::Mini));
        f.panel->startAutosave();
        f.panel->move(70, 80);
        QCOMPARE(prefs.frame(Preferences::Frame::Mini)->topLeft(), QPoint(70, 80));
        // Placed while hidden, kept once shown.
        f.panel->hide();
        f.panel->move(90, 95);
        QCOMPARE(prefs.frame(Preferences::Frame::Mini)->topLeft(), QPoint(70, 80));
        f.panel->showInactive();
        QCOMPARE(prefs.frame(Preferences::Frame::Mini)->topLeft(), QPoint(90, 95));
        QVERIFY(f.panel->restore());
        QCOMPARE(f.panel->pos(), QPoint(90, 95));
        // A place on no screen is never one to come back to.
        f.panel->move(-5000, -5000);
        QCOMPARE(prefs.frame(Preferences::Frame::Mini)->topLeft(), QPoint(90, 95));
    }

    void escapeCallsCancel() {
        Fixture f(prefs);
        int cancels = 0;
        QTest::keyClick(f.button, Qt::Key_Escape);
        f.panel->onCancel = [&] { ++cancels; };
        QTest::keyClick(f.button, Qt::Key_Escape);
        QTest::keyClick(f.button, Qt::Key_Space);
        QCOMPARE(cancels, 1);
    }
};

QTEST_MAIN(TestFloatingPanel)
#include "tst_floating_panel.moc"
