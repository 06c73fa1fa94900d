#pragma once

#include "core/monitor.h"
#include "core/panel_state.h"
#include "core/usage_state.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"

#include <QTemporaryDir>
#include <memory>

// A monitor fed by hand: a clock that moves only when told, interface readings and ping replies set by
// the caller, settings and hotspot totals in a folder of its own. Nothing leaves the machine.
class Scenario final {
public:
    // `usage` is stored as the hotspot totals before the monitor reads them; `limitGB` is the monthly limit.
    Scenario(const QStringList& hosts, const QMap<QString, QString>& labels = {},
             const std::optional<UsageState>& usage = std::nullopt, double limitGB = 0);
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    Monitor& m() { return *m_; }
    PanelState& ps() { return *ps_; }
    Preferences& prefs() { return prefs_; }
    FakeClock& clock() { return clock_; }
    NetworkState& net() { return *net_; }

    // What the Tailscale probe reports from its next run on.
    void setTailnet(const std::optional<Tailnet>& t) { tailnet_ = t; }
    // One refresh a tick after the previous one; host i answers `replies[i]` (lost when absent or missing).
    void step(const QList<std::optional<double>>& replies);
    // Interface `name` with `address` moved `down` and `up` bytes per second since the last step.
    void traffic(const QString& name, const QString& address, double down, double up);

private:
    QTemporaryDir dir_;
    FakeClock clock_;
    std::shared_ptr<NetworkState> net_;
    Preferences prefs_;
    std::optional<Tailnet> tailnet_;
    QList<std::optional<double>> replies_;
    std::unique_ptr<Monitor> m_;
    std::unique_ptr<PanelState> ps_;
};

// Three labelled hosts (one lost, one at 250 ms), five network changes, an exit node through a DERP
// relay and an active hotspot at 85 % of a 10 GB limit.
std::unique_ptr<Scenario> overviewScenario();
// The overview scenario with two more hosts, unlabelled addresses.
std::unique_ptr<Scenario> crowdedScenario();
// The overview scenario through an exit node with a 30-character name.
std::unique_ptr<Scenario> longExitScenario();
// One host answering in 1500 ms for five minutes, its tab chosen.
std::unique_ptr<Scenario> steadyScenario();
// The same hosts after five minutes, the first host's tab chosen: 150 samples with losses.
std::unique_ptr<Scenario> historyScenario();
// The history scenario after a day of the first host's minutes: a few lost pings, a night asleep and two
// outages in the morning.
std::unique_ptr<Scenario> dayScenario();
// No hosts, no Tailscale, no hotspot.
std::unique_ptr<Scenario> emptyScenario();

// The exit node of the overview scenario.
Tailnet derpExit();
