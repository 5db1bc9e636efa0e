// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace drowsel {

// One window as Drowsel's GNOME Shell extension describes it.
struct GnomeShellWindow {
    std::uint64_t id = 0;
    // The desktop-file id of Shell's app for the window, without ".desktop";
    // empty when Shell matched it to no app.
    std::string appId;
    std::string wmClass;
    std::string title;
    pid_t pid = 0;
    bool isWayland = false;
    std::string type;
    bool skipsTaskbar = false;
    bool hasFocus = false;
    bool canClose = false;

    // Nothing for a description without an id.
    static std::optional<GnomeShellWindow> fromMap(const QVariantMap& map);
    // Not a dialog, panel or other helper the taskbar leaves out.
    bool isNormal() const { return type == "normal" && !skipsTaskbar; }
};

} // namespace drowsel
