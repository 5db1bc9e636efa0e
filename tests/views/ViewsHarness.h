#pragma once

#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"
#include "toolkit/StoredSettings.h"
#include "toolkit/ViewEnvironment.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace drowsel::testing {

// Gives every application a plain coloured tile and remembers what was asked.
class TileIconProvider : public IconProvider {
public:
    QIcon iconForFile(const QString& path) const override {
        askedPaths.push_back(path);
        QPixmap tile(64, 64);
        tile.fill(Qt::transparent);
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor::fromHsv(static_cast<int>(qHash(path) % 360), 140, 200));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
        return QIcon(tile);
    }

    mutable QStringList askedPaths;
};

// A manager on fakes, with the settings, clock and icons the views are given.
struct ViewsHarness {
    fakes::CoreFakes core;
    std::shared_ptr<RunningAppsManager> manager = RunningAppsManager::create(core.services());
    StoredSettings settings{core.defaults};
    TileIconProvider icons;
    ViewEnvironment environment{settings, core.clock, icons};

    // Applications of every look: plenty of time left, urgent, switched off, nameless.
    void launchAppsOfEveryLook() {
        core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 8);
        launch("Terminal", "/usr/share/applications/terminal.desktop");
        core.clock.advance(8 * 3600 - 1500);
        launch("Firefox", "/usr/share/applications/firefox.desktop");
        launch("GIMP", "/usr/share/applications/gimp.desktop");
        manager->setToggle("GIMP", false);
        launch(std::nullopt);
    }

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
