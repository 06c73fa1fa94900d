#pragma once

#include "core/monitor.h"
#include "support/fake_clock.h"
#include "support/fake_network.h"

// A monitor that reads a still network, whose pings never answer and whose Tailscale is absent.
inline Monitor::Deps quietMonitor(const FakeClock& clock, const Preferences& prefs, const QString& usageFile) {
    Monitor::Deps d;
    d.clock = &clock;
    auto state = std::make_shared<NetworkState>();
    state->link = {QStringLiteral("eth0"), false, std::nullopt};
    d.network = std::make_unique<FakeNetwork>(state);
    d.ping = [](const QString&, QObject*, std::function<void(std::optional<double>)>) {};
    d.tailnet = [](QObject*, std::function<void(std::optional<Tailnet>)> done) { done(std::nullopt); };
    d.prefs = prefs;
    d.usage.file = usageFile;
    d.usage.prefs = prefs;
    d.usage.notify = [](const platform::Notification&) {};
    return d;
}
