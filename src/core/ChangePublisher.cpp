// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ChangePublisher.h"

#include <utility>
#include <vector>

namespace drowsel {

struct ChangePublisher::Subscription::Registry {
    std::map<std::uint64_t, Observer> observers;
    std::uint64_t nextId = 1;
};

ChangePublisher::Subscription::Subscription(Subscription&& other) noexcept
    : registry(std::move(other.registry)), id(std::exchange(other.id, 0)) {}

ChangePublisher::Subscription& ChangePublisher::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        cancel();
        registry = std::move(other.registry);
        id = std::exchange(other.id, 0);
    }
    return *this;
}

ChangePublisher::Subscription::~Subscription() { cancel(); }

void ChangePublisher::Subscription::cancel() {
    if (auto live = registry.lock()) {
        live->observers.erase(id);
    }
    registry.reset();
}

ChangePublisher::Subscription ChangePublisher::subscribe(Observer observer) {
    if (!registry) {
        registry = std::make_shared<Subscription::Registry>();
    }
    const auto id = registry->nextId++;
    registry->observers.emplace(id, std::move(observer));
    return Subscription(registry, id);
}

void ChangePublisher::send() const {
    if (!registry || registry->observers.empty()) {
        return;
    }
    // A snapshot, so observers may subscribe or unsubscribe while being told.
    std::vector<Observer> snapshot;
    snapshot.reserve(registry->observers.size());
    for (const auto& [id, observer] : registry->observers) {
        snapshot.push_back(observer);
    }
    for (const auto& observer : snapshot) {
        observer();
    }
}

} // namespace drowsel
