// SPDX-License-Identifier: GPL-3.0-or-later
// Drowsel's icon in a real X11 tray, measured on the screen: tint2 (XEmbed)
// under openbox on Xvfb.
#include "QtEventPump.h"
#include "XSession.h"
#include "app/TrayHostWatcher.h"
#include "platform/x11/XcbReply.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <map>

namespace drowsel {

namespace {

constexpr double legible = 4.5;

// WCAG's contrast ratio.
double contrast(QColor one, QColor other) {
    const auto luminance = [](QColor colour) {
        const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const auto [dark, light] = std::minmax({luminance(one), luminance(other)});
    return (light + 0.05) / (dark + 0.05);
}

// What the last measurement saw.
QColor glyph;
std::string seen = "no docked icon";

// The panel's colour is the image's commonest, the glyph's the one that
// stands out most from it.
double glyphContrast(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    const QColor panel(std::max_element(counts.begin(), counts.end(), [](auto one, auto other) {
                           return one.second < other.second;
                       })->first);
    glyph = panel;
    for (const auto& [colour, count] : counts) {
        glyph = contrast(colour, panel) > contrast(glyph, panel) ? QColor(colour) : glyph;
    }
    seen = "glyph " + glyph.name().toStdString() + " on " + panel.name().toStdString() + ": " +
           std::to_string(contrast(glyph, panel));
    return contrast(glyph, panel);
}

bool waitFor(const std::function<bool()>& condition) {
    return processes::ChildProcesses::waitUntil(condition, std::chrono::seconds(30), pumpQtEvents);
}

} // namespace

// The tray comes after Drowsel, goes, and a light one comes in its place.
TEST(TrayIconTest, AnX11TrayIsFollowedAndTheIconStandsOutOnEachPanel) {
    xtest::XSession session;
    // The watcher connects where Drowsel does; no session bus (for Drowsel too), so no StatusNotifierItem host.
    qputenv("DISPLAY", QByteArray::fromStdString(session.display()));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> x{
        xcb_connect(session.display().c_str(), nullptr), xcb_disconnect};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.get())).data;
    TrayHostWatcher watcher;
    std::vector<bool> heard;
    QObject::connect(&watcher, &TrayHostWatcher::trayChanged, [&](bool there) { heard.push_back(there); });
    EXPECT_FALSE(watcher.isTrayThere());
    const pid_t drowsel = session.start({DROWSEL_BINARY}, {"QT_QPA_PLATFORM=xcb"});
    ASSERT_TRUE(waitFor([&] {
        return !session.run({"xdotool", "search", "--pid", std::to_string(drowsel), ""}).output.empty();
    })) << "Drowsel made no window";

    // The screen's pixels around the docked icon, read from the X server.
    const auto iconContrast = [&] {
        int left = 0, top = 0, width = 0, height = 0;
        std::sscanf(session
                        .run({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(drowsel), "--class",
                              "Drowsel", "getwindowgeometry", "--shell"})
                        .output.c_str(),
                    "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &left, &top, &width, &height);
        const QRect area = QRect(left, top, width, height).adjusted(-3, -3, 3, 3) &
                           QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
        const XcbReply<xcb_get_image_reply_t> reply(
            xcb_get_image_reply(x.get(),
                                xcb_get_image(x.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, area.x(), area.y(),
                                              area.width(), area.height(), ~0U),
                                nullptr));
        return width == 0 || !reply ? 0
                                    : glyphContrast(QImage(xcb_get_image_data(reply.get()), area.width(), area.height(),
                                                           QImage::Format_RGB32));
    };

    pid_t tint2 = session.start({"tint2"});
    EXPECT_TRUE(waitFor([&] { return watcher.isTrayThere(); }));
    EXPECT_TRUE(waitFor([&] { return iconContrast() >= legible; })) << "dark panel: " << seen;
    session.stop(tint2);
    EXPECT_TRUE(waitFor([&] { return !watcher.isTrayThere(); }));

    const std::string rc = session.folder() + "/light-tint2rc";
    std::ofstream(rc)
        << "background_color = #f0f0f0 100\npanel_background_id = 1\npanel_items = S\nsystray_padding = 4 2 4\n";
    tint2 = session.start({"tint2", "-c", rc});
    EXPECT_TRUE(waitFor([&] { return heard == std::vector<bool>{true, false, true}; })) << heard.size() << " changes";
    EXPECT_TRUE(waitFor([&] { return iconContrast() >= legible && glyph == Qt::black; })) << "light panel: " << seen;
}

} // namespace drowsel
