// SPDX-License-Identifier: GPL-3.0-or-later
// Drowsel's icon in a real X11 tray, tint2 under openbox on Xvfb: seen when
// the tray comes after Drowsel, and legible on a dark panel and a light one.
#include "QtEventPump.h"
#include "TrayContrast.h"
#include "XSession.h"
#include "app/TrayHostWatcher.h"
#include "platform/x11/XcbReply.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <fstream>
#include <sstream>

namespace drowsel {

namespace {

class TrayXTest : public ::testing::Test {
protected:
    // How far around the icon the panel is read.
    static constexpr int ring = 3;

    TrayXTest() {
        // The watcher under test connects where Drowsel does; no session bus, so no StatusNotifierItem host.
        qputenv("DISPLAY", QByteArray::fromStdString(session.display()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
    }

    pid_t startDrowsel() {
        return session.start({DROWSEL_BINARY}, {"XDG_CONFIG_HOME=" + session.folder(), "QT_QPA_PLATFORM=xcb",
                                                std::string("DBUS_SESSION_BUS_ADDRESS=") + noBus});
    }
    // tint2 as installed (a dark panel), or with a light panel of its own.
    pid_t startTint2(bool light) {
        const std::string rc = session.folder() + "/light-tint2rc";
        std::ofstream(rc) << "background_color = #f0f0f0 100\nborder_width = 0\npanel_items = S\n"
                          << "panel_size = 100% 30\npanel_position = bottom center horizontal\n"
                          << "panel_background_id = 1\nsystray_padding = 4 2 4\n";
        const pid_t tint2 =
            session.start(light ? std::vector<std::string>{"tint2", "-c", rc} : std::vector<std::string>{"tint2"},
                          {"XDG_CONFIG_HOME=" + session.folder()});
        EXPECT_TRUE(waitFor([&] { return !search({"--class", "^Tint2$"}).empty(); })) << "tint2 shows no panel";
        return tint2;
    }

    std::vector<std::string> search(const std::vector<std::string>& criteria) {
        std::vector<std::string> command{"xdotool", "search", "--onlyvisible"};
        command.insert(command.end(), criteria.begin(), criteria.end());
        std::istringstream found(session.run(command).output);
        return {std::istream_iterator<std::string>(found), {}};
    }

    // The docked icon's geometry; empty while Drowsel shows no window.
    QRect iconOf(pid_t drowsel) {
        const auto windows = search({"--pid", std::to_string(drowsel)});
        QRect box;
        if (windows.size() == 1) {
            int x = 0, y = 0, width = 0, height = 0;
            std::sscanf(session.run({"xdotool", "getwindowgeometry", "--shell", windows.front()}).output.c_str(),
                        "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &width, &height);
            box = QRect(x, y, width, height);
        }
        return box;
    }

    // The screen's pixels around the icon, read from the X server; the area it gives in place.
    QImage screenAround(QRect& area) {
        xcb_connection_t* connection = x.get();
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        area = area.intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
        const XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, std::int16_t(area.x()),
                          std::int16_t(area.y()), std::uint16_t(area.width()), std::uint16_t(area.height()), ~0U),
            nullptr));
        QImage image;
        if (reply) {
            image = QImage(xcb_get_image_data(reply.get()), area.width(), area.height(), QImage::Format_RGB32).copy();
        }
        return image;
    }

    // The tray manager: the owner of the tray's selection.
    xcb_window_t trayManager() {
        const char* name = "_NET_SYSTEM_TRAY_S0";
        const XcbReply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, std::strlen(name), name), nullptr));
        const XcbReply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(x.get(), xcb_get_selection_owner(x.get(), atom->atom), nullptr));
        return owner->owner;
    }

    // The icon's contrast with the panel, in a shot of the screen: the panel's
    // colour is the commonest around the icon, the glyph's the commonest other
    // one on it.
    double iconContrast(pid_t drowsel) {
        const QRect icon = iconOf(drowsel);
        QRect area = icon.adjusted(-ring, -ring, ring, ring);
        const QImage shot = icon.isEmpty() ? QImage() : screenAround(area);
        if (shot.isNull()) {
            seen = "no docked icon";
            return 0;
        }
        const QRect inside = icon.translated(-area.topLeft());
        const QColor panel = mostFrequent(shot, [&](int x, int y) { return !inside.contains(x, y); });
        glyph =
            mostFrequent(shot, [&](int x, int y) { return inside.contains(x, y) && shot.pixel(x, y) != panel.rgb(); });
        const double ratio = contrast(glyph, panel);
        seen = "glyph " + glyph.name().toStdString() + " on panel " + panel.name().toStdString() + ": " +
               std::to_string(ratio);
        return ratio;
    }

    static bool waitFor(const std::function<bool()>& condition) {
        return xtest::XSession::waitUntil(condition, std::chrono::seconds(30), pumpQtEvents);
    }

    static constexpr const char* noBus = "unix:path=/nonexistent/bus";
    static constexpr double legible = 4.5;
    xtest::XSession session;
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> x{
        xcb_connect(session.display().c_str(), nullptr), xcb_disconnect};
    QColor glyph;
    std::string seen;
};

} // namespace

TEST_F(TrayXTest, ATrayThatComesLaterIsSeenTakesTheIconAndShowsItLegiblyOnItsDarkPanel) {
    TrayHostWatcher watcher;
    std::vector<bool> heard;
    QObject::connect(&watcher, &TrayHostWatcher::trayChanged, [&](bool there) { heard.push_back(there); });
    EXPECT_FALSE(watcher.isTrayThere());
    const pid_t drowsel = startDrowsel();
    // Up, with its windows made, before the tray comes.
    ASSERT_TRUE(waitFor([&] {
        return !session.run({"xdotool", "search", "--pid", std::to_string(drowsel), ""}).output.empty();
    }));

    const pid_t tint2 = startTint2(false);
    EXPECT_TRUE(waitFor([&] { return watcher.isTrayThere(); }));
    EXPECT_TRUE(waitFor([&] { return iconContrast(drowsel) >= legible; })) << seen;

    session.stop(tint2);
    EXPECT_TRUE(waitFor([&] { return !watcher.isTrayThere(); }));
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST_F(TrayXTest, TheIconIsLegibleOnALightPanel) {
    startTint2(true);
    const pid_t drowsel = startDrowsel();
    EXPECT_TRUE(waitFor([&] { return iconContrast(drowsel) >= legible; })) << seen;
}

// _NET_SYSTEM_TRAY_COLORS, on the tray manager's window, in 16 bits a channel.
TEST_F(TrayXTest, TheForegroundTheTrayAsksForIsTheGlyphs) {
    startTint2(true);
    session.run({"xprop", "-id", std::to_string(trayManager()), "-f", "_NET_SYSTEM_TRAY_COLORS", "32c", "-set",
                 "_NET_SYSTEM_TRAY_COLORS", "0x8000,0,0x8000,0,0,0,0,0,0,0,0,0"});
    const pid_t drowsel = startDrowsel();
    EXPECT_TRUE(waitFor([&] { return iconContrast(drowsel) > 1 && glyph == QColor(0x80, 0, 0x80); })) << seen;
}

} // namespace drowsel
