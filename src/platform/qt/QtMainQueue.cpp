// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtMainQueue.h"

#include <QMetaObject>

namespace drowsel {

void QtMainQueue::post(std::function<void()> task) {
    QMetaObject::invokeMethod(&context, std::move(task), Qt::QueuedConnection);
}

} // namespace drowsel
