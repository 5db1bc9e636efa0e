// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MainQueue.h"

#include <QObject>

namespace drowsel {

// Posts tasks to the Qt event loop; they run after the current event, in order.
// Tasks still queued when the queue is destroyed are dropped.
class QtMainQueue : public MainQueue {
public:
    void post(std::function<void()> task) override;

private:
    QObject context;
};

} // namespace drowsel
