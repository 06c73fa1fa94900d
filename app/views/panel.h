#pragma once

#include "core/preferences.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class AdvancedView;
class HostView;
class Label;
class Monitor;
class Overview;
class PanelState;
class QVBoxLayout;
class SymbolButton;
class TabStrip;
class Toggle;

// The main panel: tabs for the overview and every host, a header with the advanced switch and the pin
// button, the chosen tab's content, and the menu of commands. Commands leave through `actions` as ids.
class Panel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Panel)

public:
    Panel(Monitor& m, Preferences prefs, PanelState& ps, int width, std::function<void(const QString&)> actions,
          QWidget* parent = nullptr);

    // Reads the tab, the advanced switch and the pin state again; the shell calls it after pinning.
    void reload();

    // Identifier of the overview tab.
    static QString overviewTab();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void changed();
    void sync();
    void syncTabs();
    void choose(const QString& tab);
    void setAdvanced(bool on);
    void addRow(QVBoxLayout* menu, const QString& title, const QString& id, const QKeySequence& keys);

    Monitor& m_;
    Preferences prefs_;
    PanelState& ps_;
    std::function<void(const QString&)> actions_;
    QString tab_;
    bool advanced_ = false;
    bool pinned_ = false;

    TabStrip* strip_;
    Label* title_;
    Label* updated_;
    Toggle* toggle_;
    SymbolButton* pin_;
    QVBoxLayout* content_;
    Overview* overview_;
    HostView* host_;
    QPointer<AdvancedView> advancedView_;
};
