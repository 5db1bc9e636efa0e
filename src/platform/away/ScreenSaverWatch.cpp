// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/ScreenSaverWatch.h"

#include "platform/x11/XcbReply.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace drowsel {

namespace {

using AwaySource = PresenceClock::AwaySource;
constexpr xcb_window_t noWindow = XCB_WINDOW_NONE;

xcb_window_t rootOf(xcb_connection_t* connection, int screen) {
    auto iterator = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; iterator.rem > 0 && screen > 0; --screen) {
        xcb_screen_next(&iterator);
    }
    return iterator.rem > 0 ? iterator.data->root : noWindow;
}

} // namespace

std::unique_ptr<ScreenSaverWatch> ScreenSaverWatch::start(Logger log, PresenceClock& clock, Timing timing,
                                                          const char* displayName) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screen);
    const auto* extension =
        xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_screensaver_id);
    const xcb_window_t root = extension != nullptr ? rootOf(connection, screen) : noWindow;
    if (extension == nullptr || extension->present == 0 || root == noWindow) {
        log.info("The X server tells nothing of its screen saver or of the last input: not watched");
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screensaver_select_input(connection, root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
    std::unique_ptr<ScreenSaverWatch> watch(new ScreenSaverWatch(
        connection, root, extension->first_event + XCB_SCREENSAVER_NOTIFY, std::move(log), clock, timing));
    watch->checkInput();
    return watch;
}

ScreenSaverWatch::ScreenSaverWatch(xcb_connection_t* connection, std::uint32_t root, std::uint8_t notifyEvent,
                                   Logger log, PresenceClock& clock, Timing timing)
    : connection(connection), root(root), notifyEvent(notifyEvent), log(std::move(log)), clock(clock), timing(timing),
      notifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read) {
    inputCheck.setSingleShot(true);
    connect(&inputCheck, &QTimer::timeout, this, &ScreenSaverWatch::checkInput);
    connect(&notifier, &QSocketNotifier::activated, this, &ScreenSaverWatch::readEvents);
}

ScreenSaverWatch::~ScreenSaverWatch() {
    takeBack();
    xcb_disconnect(connection);
}

void ScreenSaverWatch::readEvents() {
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
        if ((event->response_type & 0x7f) == notifyEvent) {
            const auto* notify = reinterpret_cast<const xcb_screensaver_notify_event_t*>(event.get());
            clock.setAway(AwaySource::screenSaver, notify->state == XCB_SCREENSAVER_STATE_ON);
        }
    }
    checkConnection();
}

// Asked again when the time without input would reach the limit, unless
// input comes first; while away, at the poll interval, to see the user back.
void ScreenSaverWatch::checkInput() {
    const XcbReply<xcb_screensaver_query_info_reply_t> info(
        xcb_screensaver_query_info_reply(connection, xcb_screensaver_query_info(connection, root), nullptr));
    if (!checkConnection() || !info) {
        return;
    }
    const std::chrono::milliseconds sinceInput(info->ms_since_user_input);
    const bool away = sinceInput >= timing.awayAfter;
    clock.setAway(AwaySource::noInput, away);
    // The saver may be on already when we start; later its events tell.
    clock.setAway(AwaySource::screenSaver, info->state == XCB_SCREENSAVER_STATE_ON);
    inputCheck.start(away ? timing.pollWhileAway
                          : std::max(timing.awayAfter - sinceInput, std::chrono::milliseconds(1)));
}

bool ScreenSaverWatch::checkConnection() {
    if (xcb_connection_has_error(connection) == 0) {
        return true;
    }
    if (notifier.isEnabled()) {
        log.error("Lost the connection to the X server: the user's absence is no longer watched there");
        takeBack();
    }
    return false;
}

void ScreenSaverWatch::takeBack() {
    notifier.setEnabled(false);
    inputCheck.stop();
    clock.setAway(AwaySource::screenSaver, false);
    clock.setAway(AwaySource::noInput, false);
}

} // namespace drowsel
