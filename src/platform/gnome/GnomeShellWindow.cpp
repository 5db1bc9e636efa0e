// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gnome/GnomeShellWindow.h"

#include <climits>

namespace drowsel {

namespace {

// Shell names an app by its desktop-file id, ".desktop" included.
std::string desktopFileId(const QString& appId) {
    return (appId.endsWith(QLatin1String(".desktop")) ? appId.chopped(8) : appId).toStdString();
}

} // namespace

std::optional<GnomeShellWindow> GnomeShellWindow::fromMap(const QVariantMap& map) {
    const auto id = map.value(QStringLiteral("id")).toULongLong();
    if (id == 0) {
        return std::nullopt;
    }
    const auto pid = map.value(QStringLiteral("pid")).toUInt();
    return GnomeShellWindow{
        .id = id,
        .appId = desktopFileId(map.value(QStringLiteral("appId")).toString()),
        .wmClass = map.value(QStringLiteral("wmClass")).toString().toStdString(),
        .title = map.value(QStringLiteral("title")).toString().toStdString(),
        .pid = pid <= unsigned(INT_MAX) ? pid_t(pid) : 0,
        .isWayland = map.value(QStringLiteral("client")).toString() == QLatin1String("wayland"),
        .type = map.value(QStringLiteral("type")).toString().toStdString(),
        .skipsTaskbar = map.value(QStringLiteral("skipTaskbar")).toBool(),
        .hasFocus = map.value(QStringLiteral("hasFocus")).toBool(),
        .canClose = map.value(QStringLiteral("canClose")).toBool(),
    };
}

} // namespace drowsel
