#include "shell/floating_panel.h"
#include "support/temp_home.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr QPoint origin(300, 200);

// A panel holding one control, first placed at `origin`.
struct Fixture {
    QWidget* control;
    std::unique_ptr<FloatingPanel> panel;

    explicit Fixture(const Preferences& prefs, QWidget* c = new QPushButton(u"Odśwież"_s))
        : control(c) {
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(control);
        panel = std::make_unique<FloatingPanel>(content, prefs, Preferences::Frame::Mini,
                                                [](const QRect&, QSize) { return origin; });
        panel->show();
    }

    // A drag in two steps at absolute screen points, as a real pointer delivers them while the panel moves.
    void drag(QPoint travel) const {
        const QPoint start = control->mapToGlobal(control->rect().center());
        QTest::mousePress(control, Qt::LeftButton, {}, control->mapFromGlobal(start));
        QTest::mouseMove(control, control->mapFromGlobal(start + travel / 2));
        QTest::mouseMove(control, control->mapFromGlobal(start + travel));
        QTest::mouseRelease(control, Qt::LeftButton, {}, control->mapFromGlobal(start + travel));
    }
};

} // namespace

class TestFloatingPanel : public QObject {
    Q_OBJECT

    TempHome home;
    int files = 0;
    Preferences prefs{QString()};

private slots:
    void init() { prefs = Preferences(home.config() + u"/f%1.conf"_s.arg(++files)); }

    // The panel follows a drag of two pixels or more, not the content under it; a drag that starts on a
    // scroll bar, a slider or a text field is that control's.
    void drag() {
        const auto pushButton = [] { return new QPushButton(u"Odśwież"_s); };
        const struct {
            const char* name;
            std::function<QWidget*()> control;
            QPoint travel;
            bool dragged;
        } rows[] = {
            {"one pixel: a click", pushButton, {1, 1}, false},
            {"two pixels", pushButton, {0, 2}, true},
            {"scroll bar", [] { return new QScrollBar(Qt::Vertical); }, {0, 30}, false},
            {"slider", [] { return new QSlider(Qt::Horizontal); }, {0, 30}, false},
            {"text field", [] { return new QLineEdit(u"127.0.0.1"_s); }, {0, 30}, false},
        };
        for (const auto& row : rows) {
            init();
            QWidget* control = row.control();
            control->setMinimumSize(60, 60);
            Fixture f(prefs, control);
            f.panel->startAutosave();
            int clicks = 0;
            auto* button = qobject_cast<QPushButton*>(control);
            if (button)
                connect(button, &QPushButton::clicked, this, [&] { ++clicks; });
            f.drag(row.travel);
            QVERIFY2(f.panel->pos() == (row.dragged ? origin + row.travel : origin), row.name);
            QVERIFY2(clicks == (button && !row.dragged ? 1 : 0), row.name);
            const auto saved = prefs.frame(Preferences::Frame::Mini);
            QVERIFY2(row.dragged ? saved && saved->topLeft() == origin + row.travel : !saved, row.name);
        }
    }

    // First placed by the fallback and exactly its content's size, the panel saves its place only once
    // autosave starts, and a saved place is where the next one opens.
    void placeAndSave() {
        Fixture f(prefs);
        QCOMPARE(f.panel->pos(), origin);
        QCOMPARE(f.control->parentWidget()->geometry(), f.panel->rect());
        const auto saved = [&] { return prefs.frame(Preferences::Frame::Mini)->topLeft(); };
        f.panel->move(10, 10);
        QVERIFY(!prefs.frame(Preferences::Frame::Mini));
        f.panel->startAutosave();
        f.panel->move(70, 80);
        QCOMPARE(saved(), QPoint(70, 80));
        // Placed while hidden, kept once shown.
        f.panel->hide();
        f.panel->move(90, 95);
        QCOMPARE(saved(), QPoint(70, 80));
        f.panel->showInactive();
        QCOMPARE(saved(), QPoint(90, 95));
        QVERIFY(f.panel->restore());
        QCOMPARE(f.panel->pos(), QPoint(90, 95));
        // A place on no screen is never one to come back to.
        f.panel->move(-5000, -5000);
        QCOMPARE(saved(), QPoint(90, 95));
        QCOMPARE(Fixture(prefs).panel->pos(), QPoint(90, 95));
    }
};

QTEST_MAIN(TestFloatingPanel)
#include "tst_floating_panel.moc"
