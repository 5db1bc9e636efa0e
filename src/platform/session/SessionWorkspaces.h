// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Workspace.h"
#include "platform/desktop/ApplicationIcons.h"
#include "platform/session/CompositeWorkspace.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11Workspace.h"

#include <QIcon>
#include <QObject>

#include <memory>
#include <optional>

namespace drowsel {

// The workspaces a desktop session offers, chosen at start by what the
// session has, not by the desktop's name: in a Wayland session the
// compositor's own window list, beside the X11 workspace for XWayland's
// clients; in an X11 session the X11 workspace alone.
class SessionWorkspaces : public QObject, public Workspace {
    Q_OBJECT
public:
    // Names of the displays to use, as $WAYLAND_DISPLAY and $DISPLAY give them;
    // empty for none.
    struct Displays {
        std::string wayland;
        std::string x11;

        static Displays fromEnvironment();
    };

    // Null when no workspace can be opened (logged).
    static std::unique_ptr<SessionWorkspaces> open(Logger log, const Displays& displays);

    std::vector<ApplicationHandle> runningApplications() const override;
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;
    // The icon to show for the application at this bundle location; never null.
    QIcon iconForFile(const QString& path) const;

    // Which window list is in use, for the log and tests: "gnome", "kde", "wlr", "x11".
    const char* nativeBackend() const;

Q_SIGNALS:
    // A display connection broke, usually because the session ended. Emitted once.
    void connectionLost();

private:
    SessionWorkspaces(Logger log) : log(std::move(log)) {}
    bool openX11(const std::string& display);
    void openWayland(const std::string& display);
    void announceLoss();

    Logger log;
    std::unique_ptr<X11Workspace> x11;
    std::unique_ptr<WaylandConnection> waylandConnection;
    // Declared after the connection it speaks over, so it goes first.
    std::unique_ptr<Workspace> native;
    const char* nativeName = "x11";
    std::unique_ptr<CompositeWorkspace> composite;
    // Over every application of the session, so that no icon is dropped
    // while its application runs.
    mutable std::optional<ApplicationIcons> icons;
    bool lost = false;
};

} // namespace drowsel
