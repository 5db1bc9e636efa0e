// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the whole X screen as a PNG, for the demonstration and for looking at
// what a test session shows. Usage: drowsel_screengrab out.png (uses $DISPLAY)
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s screenshot.png\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                            nullptr),
        &std::free);
    int status = 1;
    if (image && image->depth == 24) {
        const QImage picture(xcb_get_image_data(image.get()), screen->width_in_pixels, screen->height_in_pixels,
                             QImage::Format_RGB32);
        status = picture.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    } else {
        std::fprintf(stderr, "only 24-bit screens are supported\n");
    }
    xcb_disconnect(connection);
    return status;
}
