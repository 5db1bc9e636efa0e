// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/XEmbedTray.h"

#include <QDBusServiceWatcher>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace drowsel {

// Whether the desktop has a tray to show Drowsel's icon: a StatusNotifierItem
// watcher on the session bus, or an X11 tray manager. Follows both appearing
// and going.
class TrayHostWatcher : public QObject {
    Q_OBJECT

public:
    explicit TrayHostWatcher(QObject* parent = nullptr);

    bool isTrayThere() const { return statusNotifierWatcherThere || (xembed && xembed->hasManager()); }
    // The X11 tray's own foreground for icons, when it names one.
    std::optional<QColor> xembedForeground() const { return xembed ? xembed->foreground() : std::nullopt; }

Q_SIGNALS:
    void trayChanged(bool there);
    // The X11 tray may have a new manager or new colours for icons.
    void xembedTrayChanged();

private:
    void setStatusNotifierWatcherThere(bool there);
    void readXEmbedTray();

    QDBusServiceWatcher statusNotifierWatcher;
    bool statusNotifierWatcherThere = false;
    std::unique_ptr<XEmbedTray> xembed = XEmbedTray::connect();
    std::unique_ptr<QSocketNotifier> xembedEvents;
};

} // namespace drowsel
