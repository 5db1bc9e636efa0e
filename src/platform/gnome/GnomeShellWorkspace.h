// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Workspace.h"
#include "platform/desktop/DeactivationAnnouncer.h"
#include "platform/desktop/DesktopEntryLookup.h"
#include "platform/gnome/GnomeShellWindow.h"
#include "platform/wayland/ToplevelCloser.h"
#include "platform/wayland/WaylandApplication.h"
#include "platform/wayland/WaylandApplications.h"
#include "platform/wayland/XWaylandClients.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

class QDBusPendingCallWatcher;

namespace drowsel {

// The workspace of GNOME Shell, which gives applications no window list of
// its own: Drowsel's Shell extension exports it on the session bus. The
// picture is kept from the extension's signals, so reading it makes no call;
// the list is read once whenever the extension's name appears. Only Wayland
// clients are this workspace's: XWayland's are left to the X11 workspace.
class GnomeShellWorkspace : public QObject, public Workspace {
    Q_OBJECT
public:
    static constexpr const char* service = "com.drowsel.Drowsel.Shell";
    static constexpr const char* path = "/com/drowsel/Drowsel/Shell";
    static constexpr const char* interface = "com.drowsel.Drowsel.Shell";

    // Null when the extension's name has no owner on the bus. xwayland, when
    // given, must outlive the workspace.
    static std::unique_ptr<GnomeShellWorkspace> open(const QDBusConnection& bus, Logger log,
                                                     const XWaylandClients* xwayland);

    std::vector<ApplicationHandle> runningApplications() const override;
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;

private Q_SLOTS:
    void windowOpened(const QVariantMap& description);
    void windowClosed(qulonglong id);
    void focusChanged(qulonglong id);

private:
    // The owning process; a window without a PID is an application of its own.
    using ApplicationKey = std::pair<pid_t, std::uint64_t>;

    GnomeShellWorkspace(const QDBusConnection& bus, Logger log, const XWaylandClients* xwayland);
    void listenToSignals();
    void ownerChanged(const QString& oldOwner, const QString& newOwner);
    void readWindows();
    void windowsListed(QDBusPendingCallWatcher* call, unsigned generation);
    void forgetWindows();
    void changesSoon();
    void processChanges();
    void rebuildApplications();
    static ApplicationKey applicationKey(const GnomeShellWindow& window);
    WaylandApplication::Facts factsOf(const ApplicationKey& key, std::vector<const GnomeShellWindow*> members) const;
    bool belongsToXWayland(const GnomeShellWindow& window) const;
    bool isXWaylandApplication(const WaylandApplication& application) const;
    bool askToClose(std::uint64_t windowId);
    std::shared_ptr<WaylandApplication> focusOwner() const;

    QDBusConnection bus;
    Logger log;
    const XWaylandClients* xwayland;
    DesktopEntryLookup entries;
    QDBusServiceWatcher watcher;
    std::shared_ptr<const ToplevelCloser> closer;

    // The Wayland clients' windows by the extension's id.
    std::map<std::uint64_t, GnomeShellWindow> windows;
    std::uint64_t focused = 0;
    // Counts the appearances of the extension: an answer to an earlier one is stale.
    unsigned generation = 0;
    // The answer to the latest reading has arrived: signals before it are in it.
    bool isListed = false;
    WaylandApplications<ApplicationKey> applications{closer};
    DeactivationAnnouncer<WaylandApplication> deactivations;
    bool changesAreScheduled = false;
};

} // namespace drowsel
