#pragma once

#include "core/preferences.h"
#include "views/settings_rows.h"

#include <QDialog>
#include <functional>

class Monitor;
class QCheckBox;
class QLabel;
class QLineEdit;
class QAbstractButton;
class QVBoxLayout;
class Toggle;

// Starting the program at login, as the shell reaches it: `enable` and `disable` return the error text on failure.
struct LoginItem {
    std::function<bool()> enabled;
    std::function<std::optional<QString>()> enable;
    std::function<std::optional<QString>()> disable;
};

// Edits the hosts the monitor pings with their labels, outage notifications, the monthly hotspot limit and
// starting at login.
// Closing only hides it; each showing starts again from the monitor's hosts.
class SettingsWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)

public:
    // `actions` takes the commands of the program's keys (Ctrl+R, Ctrl+Q).
    SettingsWindow(Monitor& m, Preferences prefs, const std::function<void(const QString&)>& actions, LoginItem login,
                   QWidget* parent = nullptr);

    // The rows as they stand on screen.
    QList<HostRow> rows() const;
    std::optional<QUuid> selected() const { return selected_; }

    void plus();
    void minus();
    void save();
    // Cancels; the limit typed so far is kept.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    QWidget* addRow(const HostRow& row);
    void select(const std::optional<QUuid>& id);
    void setError(const std::optional<QString>& error);
    void commitLimit();
    void showLimit();
    void setLogin(bool on);
    int rowAt(int y) const;

    Monitor& m_;
    Preferences prefs_;
    LoginItem loginItem_;
    std::optional<QUuid> selected_;
    QWidget* list_;
    QVBoxLayout* rowsLayout_;
    QAbstractButton* minus_;
    QLabel* error_;
    QLineEdit* limit_;
    QCheckBox* login_;
    Toggle* outageAlerts_;
    // The row being dragged by its handle.
    QWidget* dragged_ = nullptr;
};
