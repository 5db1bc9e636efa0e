// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session/SessionWorkspaces.h"

#include "platform/gnome/GnomeShellWorkspace.h"
#include "platform/wayland/PlasmaWindowWorkspace.h"
#include "platform/wayland/WlrToplevelWorkspace.h"

#include <QDBusConnection>

#include <cstdlib>

namespace drowsel {

SessionWorkspaces::Displays SessionWorkspaces::Displays::fromEnvironment() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY")};
}

std::unique_ptr<SessionWorkspaces> SessionWorkspaces::open(Logger log, const Displays& displays) {
    std::unique_ptr<SessionWorkspaces> session(new SessionWorkspaces(std::move(log)));
    // XWayland's clients must be known before a native list can leave them out.
    if (!displays.x11.empty() && !session->openX11(displays.x11)) {
        return nullptr;
    }
    if (!displays.wayland.empty()) {
        session->openWayland(displays.wayland);
    }
    if (!session->x11 && !session->native) {
        session->log.error("Found no display to watch: neither WAYLAND_DISPLAY nor DISPLAY is usable");
        return nullptr;
    }
    session->composite = std::make_unique<CompositeWorkspace>(session->native.get(), session->x11.get());
    session->icons.emplace(*session, session->log);
    return session;
}

bool SessionWorkspaces::openX11(const std::string& display) {
    x11 = X11Workspace::open(log, display.c_str());
    if (x11) {
        connect(x11.get(), &X11Workspace::connectionLost, this, &SessionWorkspaces::announceLoss);
    }
    return x11 != nullptr;
}

void SessionWorkspaces::openWayland(const std::string& display) {
    waylandConnection = WaylandConnection::open(log, display.c_str());
    if (!waylandConnection) {
        log.error("Only X11 applications are seen: the Wayland compositor cannot be reached");
        return;
    }
    connect(waylandConnection.get(), &WaylandConnection::connectionLost, this, &SessionWorkspaces::announceLoss);
    // GNOME Shell lists windows only through our extension, which is there only on GNOME.
    if (auto gnome = GnomeShellWorkspace::open(QDBusConnection::sessionBus(), log, x11.get())) {
        native = std::move(gnome);
        nativeName = "gnome";
        log.info("Watching GNOME Shell's windows through Drowsel's Shell extension");
        return;
    }
    if (auto plasma = PlasmaWindowWorkspace::open(*waylandConnection, log, x11.get())) {
        native = std::move(plasma);
        nativeName = "kde";
        log.info("Watching the compositor's windows through KDE's window management");
        return;
    }
    if (auto wlr = WlrToplevelWorkspace::open(*waylandConnection, log, x11.get())) {
        native = std::move(wlr);
        nativeName = "wlr";
        log.info("Watching the compositor's toplevels through wlr-foreign-toplevel-management");
        return;
    }
    log.info("The compositor offers no window list to applications: only XWayland applications are seen");
}

std::vector<ApplicationHandle> SessionWorkspaces::runningApplications() const {
    return composite->runningApplications();
}

std::optional<ApplicationHandle> SessionWorkspaces::frontmostApplication() const {
    return composite->frontmostApplication();
}

void SessionWorkspaces::addDeactivationObserver(DeactivationObserver observer) {
    composite->addDeactivationObserver(std::move(observer));
}

QIcon SessionWorkspaces::iconForFile(const QString& path) const {
    const auto location = path.toStdString();
    return icons->iconFor(location, [&] { return x11 ? x11->iconOfWindowsAt(location) : QIcon(); });
}

const char* SessionWorkspaces::nativeBackend() const { return nativeName; }

void SessionWorkspaces::announceLoss() {
    if (!lost) {
        lost = true;
        Q_EMIT connectionLost();
    }
}

} // namespace drowsel
