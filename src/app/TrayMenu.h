// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayMenuModel.h"

#include <QMenu>

#include <functional>

namespace drowsel {

// The tray icon's menu: pausing, the applications quit lately, the warning
// switch, settings and quitting. Built afresh each time it opens, so it always
// shows the model's present state.
class TrayMenu : public QMenu {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    explicit TrayMenu(TrayMenuModel& model, Clock now = &QDateTime::currentDateTime);

    // The next 06:00 local time strictly after the moment: "until tomorrow"
    // ends when a usual working day begins.
    static QDateTime nextMorning(const QDateTime& after);

private:
    void rebuild();
    void addPauseItems();
    void addRecentlyQuit();
    void addSwitch(const QString& text, MenuSwitch item);

    TrayMenuModel& model;
    Clock now;
};

} // namespace drowsel
