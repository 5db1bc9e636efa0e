// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"
#include "toolkit/ViewEnvironment.h"

#include <QTest>
#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace drowsel::testing {

// A manager on fakes, with the settings, clock and icons the views are given.
struct ViewsHarness {
    fakes::CoreFakes core;
    std::shared_ptr<RunningAppsManager> manager = RunningAppsManager::create(core.services());
    StoredSettings settings{core.defaults};
    struct : IconProvider {
        QIcon iconForFile(const QString&) const override { return {}; }
    } icons;
    ViewEnvironment environment{settings, core.clock, icons};

    // Starts a tracked application stamped now.
    ApplicationHandle launch(std::optional<std::string> name) {
        auto application = core.workspace.launch({.name = std::move(name)});
        manager->trackNewApps();
        core.mainQueue.runAll();
        return application;
    }
};

// Runs the redraws that changes asked for, and the layouts that redraws ask
// for, up to the window: each round runs what the one before posted.
inline void settle() {
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
    }
}

// A click where the widget is sure to take it.
inline void click(QWidget* widget, QPoint at = {4, 4}) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    settle();
}

inline void showAndWait(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
}

} // namespace drowsel::testing
