// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"
#include "toolkit/StoredSettings.h"
#include "toolkit/ViewEnvironment.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace drowsel::testing {

// Remembers which icons were asked for.
class RecordingIconProvider : public IconProvider {
public:
    QIcon iconForFile(const QString& path) const override {
        askedPaths.push_back(path);
        return {};
    }

    mutable QStringList askedPaths;
};

// A manager on fakes, with the settings, clock and icons the views are given.
struct ViewsHarness {
    fakes::CoreFakes core;
    std::shared_ptr<RunningAppsManager> manager = RunningAppsManager::create(core.services());
    StoredSettings settings{core.defaults};
    RecordingIconProvider icons;
    ViewEnvironment environment{settings, core.clock, icons};

    // Starts a tracked application stamped now.
    ApplicationHandle launch(std::optional<std::string> name, std::optional<std::string> location = {}) {
        auto application = core.workspace.launch({.name = std::move(name), .bundleLocation = std::move(location)});
        manager->trackNewApps();
        core.mainQueue.runAll();
        return application;
    }
};

// Runs the redraws that changes asked for.
inline void settle() { QCoreApplication::sendPostedEvents(); }

inline void showAndWait(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
}

} // namespace drowsel::testing
