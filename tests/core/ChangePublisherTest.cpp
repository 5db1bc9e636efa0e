// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ChangePublisher.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace drowsel {

TEST(ChangePublisherTest, ObserversAreToldInOrderWhileTheirSubscriptionLivesWhereverItMoved) {
    std::string told;
    std::optional<ChangePublisher::Subscription> ended;
    ChangePublisher::Subscription moved;
    {
        ChangePublisher publisher;
        const auto first = publisher.subscribe([&] {
            told += 'a';
            ended.reset(); // an observer may end another while being told
        });
        ended = publisher.subscribe([&] { told += 'b'; });
        {
            auto temporary = publisher.subscribe([&] { told += 'c'; });
            moved = std::move(temporary);
        }
        publisher.send(); // told from a snapshot: b still hears this one
        told += '|';
        moved = publisher.subscribe([&] { told += 'd'; }); // ends the subscription it replaces
        publisher.send();
    }
    moved = {}; // a subscription may outlive its publisher

    EXPECT_EQ(told, "abc|ad");
}

} // namespace drowsel
