// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEventLoop>
#include <QTimer>

namespace drowsel {

// Runs the Qt event loop for a few milliseconds, so that the workspaces under
// test read what their connections received: the pause of Qt tests' polls.
inline void pumpQtEvents() {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace drowsel
