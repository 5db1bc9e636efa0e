// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtOwnApplication.h"

#include <QGuiApplication>
#include <QWindow>

namespace drowsel {

std::optional<std::string> QtOwnApplication::bundleIdentifier() const {
    const QString identifier = QGuiApplication::desktopFileName();
    if (identifier.isEmpty()) {
        return std::nullopt;
    }
    return identifier.toStdString();
}

std::vector<OwnApplication::Window> QtOwnApplication::windows() const {
    std::vector<Window> result;
    const QWindow* focus = QGuiApplication::focusWindow();
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        const bool isOpenPopup = window->type() == Qt::Popup && window->isVisible();
        result.push_back(
            {.isKey = window == focus || isOpenPopup, .isMain = window->isVisible() && window->isActive()});
    }
    return result;
}

} // namespace drowsel
