#include "views/settings_window.h"

#include "core/monitor.h"
#include "views/command_keys.h"
#include "views/style.h"
#include "views/toggle.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr char idProperty[] = "rowId";

QLabel* caption(const QString& text) {
    auto* l = new QLabel(text);
    l->setFont(::font(Text::Caption));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colors::secondary(p));
    l->setPalette(p);
    return l;
}

QUuid rowId(const QWidget* row) {
    return row->property(idProperty).toUuid();
}

} // namespace

SettingsWindow::SettingsWindow(Monitor& m, Preferences prefs, const std::function<void(const QString&)>& actions,
                               LoginItem login, QWidget* parent)
    : QDialog(parent)
    , m_(m)
    , prefs_(std::move(prefs))
    , loginItem_(std::move(login))
    , list_(new QWidget)
    , rowsLayout_(new QVBoxLayout(list_))
    , minus_(nullptr)
    , error_(new QLabel)
    , limit_(new QLineEdit)
    , login_(new QCheckBox(u"Uruchamiaj przy logowaniu"_s))
    , outageAlerts_(new Toggle) {
    setWindowTitle(u"Tarnwick - ustawienia"_s);
    setFixedWidth(480);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(20, 20, 20, 20);
    v->setSpacing(12);
    v->setSizeConstraint(QLayout::SetFixedSize);

    auto* heading = new QLabel(u"Hosty"_s);
    heading->setFont(::font(Text::Headline));
    v->addWidget(heading);

    rowsLayout_->setContentsMargins(4, 4, 4, 4);
    rowsLayout_->setSpacing(2);
    rowsLayout_->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setObjectName(u"hosts"_s);
    scroll->setWidgetResizable(true);
    scroll->setWidget(list_);
    scroll->setFixedSize(440, 200);
    v->addWidget(scroll);

    auto* controls = new QHBoxLayout;
    auto* plusButton = new QToolButton;
    plusButton->setObjectName(u"plus"_s);
    plusButton->setText(u"+"_s);
    auto* minusButton = new QToolButton;
    minusButton->setObjectName(u"minus"_s);
    minusButton->setText(u"−"_s);
    minus_ = minusButton;
    connect(plusButton, &QToolButton::clicked, this, &SettingsWindow::plus);
    connect(minusButton, &QToolButton::clicked, this, &SettingsWindow::minus);
    controls->addWidget(plusButton);
    controls->addWidget(minusButton);
    controls->addStretch();
    controls->addWidget(caption(u"Przeciągnij wiersz, by zmienić kolejność"_s));
    v->addLayout(controls);

    error_->setObjectName(u"error"_s);
    error_->setFont(::font(Text::Callout));
    error_->setWordWrap(true);
    QPalette ep = error_->palette();
    ep.setColor(QPalette::WindowText, colors::red);
    error_->setPalette(ep);
    error_->hide();
    v->addWidget(error_);

    auto* alertsRow = new QHBoxLayout;
    auto* alertsLabel = new QLabel(u"Powiadomienia o przerwach"_s);
    alertsLabel->setBuddy(outageAlerts_);
    alertsRow->addWidget(alertsLabel);
    alertsRow->addStretch();
    outageAlerts_->setObjectName(u"outageAlerts"_s);
    outageAlerts_->setAccessibleName(alertsLabel->text());
    alertsRow->addWidget(outageAlerts_);
    v->addLayout(alertsRow);

    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(new QLabel(u"Limit danych na hotspocie (GB/mies.)"_s));
    limit_->setObjectName(u"limit"_s);
    limit_->setPlaceholderText(u"0 = wyłączony"_s);
    limit_->setFixedWidth(90);
    connect(limit_, &QLineEdit::editingFinished, this, &SettingsWindow::commitLimit);
    limitRow->addWidget(limit_);
    limitRow->addWidget(caption(u"0 = wyłączony"_s));
    limitRow->addStretch();
    v->addLayout(limitRow);

    login_->setObjectName(u"login"_s);
    login_->setChecked(loginItem_.enabled());
    connect(login_, &QCheckBox::toggled, this, &SettingsWindow::setLogin);
    v->addWidget(login_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(u"Anuluj"_s);
    cancel->setObjectName(u"cancel"_s);
    cancel->setAutoDefault(false);
    auto* saveButton = new QPushButton(u"Zapisz"_s);
    saveButton->setObjectName(u"save"_s);
    saveButton->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &SettingsWindow::reject);
    connect(saveButton, &QPushButton::clicked, this, &SettingsWindow::save);
    buttons->addWidget(cancel);
    buttons->addWidget(saveButton);
    v->addLayout(buttons);
    addCommandKeys(this, actions);
}

QList<HostRow> SettingsWindow::rows() const {
    QList<HostRow> out;
    for (int i = 0; i < rowsLayout_->count(); ++i) {
        const QWidget* row = rowsLayout_->itemAt(i)->widget();
        if (!row)
            continue;
        out.append({rowId(row), row->findChild<QLineEdit*>(u"host"_s)->text(),
                    row->findChild<QLineEdit*>(u"label"_s)->text()});
    }
    return out;
}

void SettingsWindow::plus() {
    addRow({QUuid::createUuid(), QString(), QString()});
}

void SettingsWindow::minus() {
    const QList<HostRow> current = rows();
    if (current.isEmpty())
        return;
    const QUuid target = selected_.value_or(current.last().id);
    for (QWidget* row : list_->findChildren<QWidget*>(u"row"_s, Qt::FindDirectChildrenOnly)) {
        if (rowId(row) == target)
            delete row;
    }
    select(std::nullopt);
    minus_->setEnabled(!rows().isEmpty());
}

void SettingsWindow::save() {
    const SavedHosts saved = saveRows(rows());
    if (saved.error) {
        setError(saved.error);
        return;
    }
    m_.setHosts(saved.hosts, saved.labels);
    prefs_.setOutageAlerts(outageAlerts_->isChecked());
    hide();
}

void SettingsWindow::reject() {
    commitLimit();
    QDialog::reject();
}

void SettingsWindow::showEvent(QShowEvent* event) {
    // Opened anew; a window restored from the taskbar keeps the edits in it.
    if (!event->spontaneous())
        load();
    QDialog::showEvent(event);
}

void SettingsWindow::load() {
    qDeleteAll(list_->findChildren<QWidget*>(u"row"_s, Qt::FindDirectChildrenOnly));
    selected_.reset();
    for (const QString& host : m_.hosts())
        addRow({QUuid::createUuid(), host, m_.labels().value(host)});
    minus_->setEnabled(!m_.hosts().isEmpty());
    setError(std::nullopt);
    outageAlerts_->setChecked(prefs_.outageAlerts());
    showLimit();
    // Typing starts in the first host.
    if (auto* first = list_->findChild<QLineEdit*>(u"host"_s))
        first->setFocus();
}

QWidget* SettingsWindow::addRow(const HostRow& r) {
    auto* row = new QWidget;
    row->setObjectName(u"row"_s);
    row->setProperty(idProperty, r.id);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(4, 2, 4, 2);
    auto* handle = new QLabel(u"⠿"_s);
    handle->setObjectName(u"handle"_s);
    handle->setCursor(Qt::OpenHandCursor);
    handle->installEventFilter(this);
    h->addWidget(handle);
    auto* host = new QLineEdit(r.host);
    host->setObjectName(u"host"_s);
    host->setPlaceholderText(u"host lub IP"_s);
    auto* label = new QLineEdit(r.label);
    label->setObjectName(u"label"_s);
    label->setPlaceholderText(u"etykieta (opcjonalna)"_s);
    for (QLineEdit* e : {host, label}) {
        e->installEventFilter(this);
        h->addWidget(e);
    }
    rowsLayout_->insertWidget(rowsLayout_->count() - 1, row);
    // At once, not when the event loop next runs, so the window never shows a row missing.
    row->setVisible(list_->isVisible());
    minus_->setEnabled(true);
    return row;
}

void SettingsWindow::select(const std::optional<QUuid>& id) {
    selected_ = id;
    for (QWidget* row : list_->findChildren<QWidget*>(u"row"_s, Qt::FindDirectChildrenOnly)) {
        const bool on = id && rowId(row) == *id;
        row->setAutoFillBackground(on);
        if (on) {
            QPalette p = row->palette();
            QColor c = colors::accent(p);
            c.setAlphaF(0.25f);
            p.setColor(QPalette::Window, c);
            row->setPalette(p);
        }
    }
}

void SettingsWindow::setError(const std::optional<QString>& error) {
    error_->setText(error.value_or(QString()));
    error_->setVisible(error.has_value());
}

void SettingsWindow::commitLimit() {
    const QString text = limit_->text().trimmed();
    bool ok = text.isEmpty();
    double gb = 0;
    if (!ok) {
        gb = locale().toDouble(text, &ok);
        if (!ok)
            gb = QLocale::c().toDouble(text, &ok);
    }
    // Text that is no amount leaves the stored limit alone.
    if (ok && std::isfinite(gb) && gb >= 0 && gb != prefs_.hotspotLimitGB())
        m_.usage().setLimitGB(gb);
    showLimit();
}

void SettingsWindow::showLimit() {
    limit_->setText(locale().toString(prefs_.hotspotLimitGB(), 'f', QLocale::FloatingPointShortest));
}

void SettingsWindow::setLogin(bool on) {
    if (on)
        loginItem_.enable();
    else
        loginItem_.disable();
    // A refused change snaps back.
    const QSignalBlocker block(login_);
    login_->setChecked(loginItem_.enabled());
}

int SettingsWindow::rowAt(int y) const {
    int index = 0;
    for (int i = 0; i < rowsLayout_->count(); ++i) {
        const QWidget* row = rowsLayout_->itemAt(i)->widget();
        if (row && row != dragged_ && row->geometry().center().y() < y)
            ++index;
    }
    return index;
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return false;
    QWidget* row = w->parentWidget();
    switch (event->type()) {
    case QEvent::FocusIn: {
        // Tab into a row selects it; the focus the window gives while opening does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (isActiveWindow() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
            select(rowId(row));
        break;
    }
    case QEvent::MouseButtonPress:
        // Any press selects, also into the field that has the focus already and so gets no focus-in.
        select(rowId(row));
        if (w->objectName() == u"handle"_s) {
            dragged_ = row;
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (dragged_) {
            const QPoint at = list_->mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            const int to = rowAt(at.y());
            if (rowsLayout_->indexOf(dragged_) != to) {
                rowsLayout_->removeWidget(dragged_);
                rowsLayout_->insertWidget(to, dragged_);
                rowsLayout_->activate();
            }
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (dragged_) {
            dragged_ = nullptr;
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}
