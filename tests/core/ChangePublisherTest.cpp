#include "core/ChangePublisher.h"

#include <gtest/gtest.h>

#include <optional>

namespace drowsel {

TEST(ChangePublisherTest, ObserversAreToldWhileTheirSubscriptionLives) {
    ChangePublisher publisher;
    int first = 0;
    int second = 0;
    auto firstSubscription = publisher.subscribe([&] { ++first; });
    std::optional<ChangePublisher::Subscription> secondSubscription = publisher.subscribe([&] { ++second; });

    publisher.send();
    secondSubscription.reset();
    publisher.send();

    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
}

TEST(ChangePublisherTest, MovedSubscriptionKeepsObservingAndAssignmentEndsTheOldOne) {
    ChangePublisher publisher;
    int calls = 0;
    ChangePublisher::Subscription kept;
    {
        auto temporary = publisher.subscribe([&] { calls += 1; });
        kept = std::move(temporary);
    }
    publisher.send();
    kept = publisher.subscribe([&] { calls += 10; });
    publisher.send();

    EXPECT_EQ(calls, 11);
}

TEST(ChangePublisherTest, ObserverMayEndAnotherSubscriptionWhileBeingTold) {
    ChangePublisher publisher;
    std::optional<ChangePublisher::Subscription> victim;
    int victimCalls = 0;
    auto killer = publisher.subscribe([&] { victim.reset(); });
    victim = publisher.subscribe([&] { ++victimCalls; });

    publisher.send(); // the snapshot still tells the victim this once
    publisher.send();

    EXPECT_EQ(victimCalls, 1);
}

} // namespace drowsel
