// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace drowsel {

// Tells observers that a value is about to change. Observers are called
// synchronously, before the change, in the order they subscribed.
class ChangePublisher {
public:
    using Observer = std::function<void()>;

    // Keeps an observer subscribed while it lives; safe to outlive the publisher.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription();

    private:
        friend class ChangePublisher;
        struct Registry;
        Subscription(std::weak_ptr<Registry> registry, std::uint64_t id) : registry(std::move(registry)), id(id) {}
        void cancel();

        std::weak_ptr<Registry> registry;
        std::uint64_t id = 0;
    };

    [[nodiscard]] Subscription subscribe(Observer observer);
    void send() const;

private:
    std::shared_ptr<Subscription::Registry> registry;
};

} // namespace drowsel
