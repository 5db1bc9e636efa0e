// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/View.h"
#include "views/ViewsHarness.h"

namespace drowsel::testing {
namespace {

class CountingView : public View {
public:
    int redraws = 0;

protected:
    void redraw() override { ++redraws; }
};

TEST(ViewTest, RedrawsOnceAfterAllChangesOfOneEventLoopTurn) {
    ChangePublisher first;
    ChangePublisher second;
    CountingView view;
    view.observe(first);
    view.observe(second);
    for (int change = 0; change < 5; ++change) {
        first.send();
        second.send();
    }
    EXPECT_EQ(view.redraws, 0) << "changes are announced before they happen";
    settle();
    EXPECT_EQ(view.redraws, 1);
    first.send();
    settle();
    EXPECT_EQ(view.redraws, 2);

    auto doomed = std::make_unique<CountingView>();
    doomed->observe(first);
    first.send();
    doomed.reset();
    settle(); // a redraw asked for by a view that is gone is dropped
}

} // namespace
} // namespace drowsel::testing
