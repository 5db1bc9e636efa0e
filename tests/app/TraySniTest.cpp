// SPDX-License-Identifier: GPL-3.0-or-later
// Drowsel's icon in waybar on a headless sway: a StatusNotifierItem host,
// which draws the icon it finds by name in the icon theme.
#include "QtEventPump.h"
#include "SwaySession.h"
#include "TrayContrast.h"
#include "app/TrayHostWatcher.h"

#include <gtest/gtest.h>

namespace drowsel {

TEST(TraySniTest, WaybarIsSeenAsATrayAndShowsTheIconLegibly) {
    wltest::SwaySession sway;
    const auto waitFor = [](const std::function<bool()>& condition) {
        return wltest::SwaySession::waitUntil(condition, std::chrono::seconds(30), pumpQtEvents);
    };
    const std::string busPath = sway.folder() + "/bus";
    sway.start({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + busPath});
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(busPath); }));
    // The symbolic icons where the package puts them, under a data folder of the session's.
    const std::string share = sway.folder() + "/share";
    std::filesystem::create_directories(share + "/icons/hicolor/symbolic/apps");
    std::filesystem::copy(DROWSEL_SYMBOLIC_ICONS, share + "/icons/hicolor/symbolic/apps");
    const std::vector<std::string> desktop{"DBUS_SESSION_BUS_ADDRESS=unix:path=" + busPath,
                                           "XDG_DATA_DIRS=" + share + ":/usr/share", "XDG_CONFIG_HOME=" + share};
    std::ofstream(sway.folder() + "/waybar.json") << R"({"position": "top", "height": 30, "modules-right": ["tray"]})";
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + busPath));
    TrayHostWatcher watcher;
    EXPECT_FALSE(watcher.isTrayThere());
    sway.start({"waybar", "-c", sway.folder() + "/waybar.json", "-s", "/etc/xdg/waybar/style.css"}, desktop);
    ASSERT_TRUE(waitFor([&] { return watcher.isTrayThere(); })) << "waybar's tray did not come";

    const std::string shotPath = sway.folder() + "/shot.png";
    const auto shot = [&] {
        sway.run({"grim", shotPath});
        return QImage(QString::fromStdString(shotPath));
    };
    // The bar drawn and still: the tray's own start settles first.
    QImage bar;
    ASSERT_TRUE(waitFor([&] {
        const QImage previous = std::exchange(bar, shot());
        return !bar.isNull() && bar == previous && bar.pixel(10, 10) != bar.pixel(10, bar.height() - 10);
    }));
    sway.start({DROWSEL_BINARY}, [&] {
        auto environment = desktop;
        environment.insert(environment.end(), {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
        return environment;
    }());
    // The icon is in what changed in the bar: the tray's own background and the glyph on it.
    std::string seen;
    EXPECT_TRUE(waitFor([&] {
        const QImage withIcon = shot();
        QRect changed;
        for (int y = 0; y < withIcon.height() && withIcon.size() == bar.size(); ++y) {
            for (int x = 0; x < withIcon.width(); ++x) {
                changed |= withIcon.pixel(x, y) != bar.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
            }
        }
        const QImage tray = withIcon.copy(changed);
        const QColor panel = mostFrequent(tray, [](int, int) { return true; });
        const QColor glyph = mostFrequent(tray, [&](int x, int y) { return tray.pixel(x, y) != panel.rgb(); });
        seen = "glyph " + glyph.name().toStdString() + " on " + panel.name().toStdString() + ": " +
               std::to_string(contrast(glyph, panel));
        return !changed.isEmpty() && contrast(glyph, panel) >= 4.5;
    })) << seen;
}

} // namespace drowsel
