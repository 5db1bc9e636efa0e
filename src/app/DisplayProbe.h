// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

namespace drowsel {

// Whether the displays the environment names answer, asked before Qt's
// platform connects: Qt ends the process at once when its display does not.
class DisplayProbe {
    Q_DECLARE_TR_FUNCTIONS(drowsel::DisplayProbe)

public:
    // Drops DISPLAY and WAYLAND_DISPLAY from the environment where nothing
    // answers them, so that Qt and the workspaces use the display that does.
    // False when neither answers.
    static bool keepDisplaysThatAnswer();

    // The one line to print when no display answers.
    static QString noDisplayMessage();
};

} // namespace drowsel
