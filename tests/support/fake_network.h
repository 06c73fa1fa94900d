#pragma once

#include "platform/platform.h"

#include <memory>

// Interface readings the test sets; shared with the test after the monitor takes ownership.
struct NetworkState {
    platform::Interfaces interfaces;
    platform::Link link;
    int reads = 0;
};

class FakeNetwork final : public platform::Network {
public:
    explicit FakeNetwork(std::shared_ptr<NetworkState> state)
        : state_(std::move(state)) {}

    platform::Interfaces interfaces() override {
        ++state_->reads;
        return state_->interfaces;
    }
    platform::Link link(const platform::Interfaces&) override { return state_->link; }

private:
    std::shared_ptr<NetworkState> state_;
};
