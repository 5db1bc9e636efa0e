// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/PresenceClock.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace drowsel {

// Tells the clock when the X user is away, through the server's
// MIT-SCREEN-SAVER extension on a connection of our own: the saver on, or no
// input for a while. The saver's changes come as events; the time since the
// last input is asked for when it could reach the limit, and while away, at
// the poll interval. What it said goes with it.
class ScreenSaverWatch : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds awayAfter = std::chrono::minutes(10);
        std::chrono::milliseconds pollWhileAway = std::chrono::seconds(15);
    };

    // Null when the display cannot be reached or lacks the extension (logged).
    static std::unique_ptr<ScreenSaverWatch> start(Logger log, PresenceClock& clock, Timing timing,
                                                   const char* displayName = nullptr);
    ~ScreenSaverWatch() override;
    ScreenSaverWatch(const ScreenSaverWatch&) = delete;
    ScreenSaverWatch& operator=(const ScreenSaverWatch&) = delete;

private:
    ScreenSaverWatch(xcb_connection_t* connection, std::uint32_t root, std::uint8_t notifyEvent, Logger log,
                     PresenceClock& clock, Timing timing);
    void readEvents();
    void checkInput();
    bool checkConnection();
    // What it said holds no more once it no longer watches.
    void takeBack();

    xcb_connection_t* connection;
    std::uint32_t root;
    std::uint8_t notifyEvent;
    Logger log;
    PresenceClock& clock;
    Timing timing;
    QSocketNotifier notifier;
    QTimer inputCheck;
};

} // namespace drowsel
