// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsFileWatcher.h"

#include <QFileInfo>

namespace drowsel {

SettingsFileWatcher::SettingsFileWatcher(const QString& filePath, Callback onChange)
    : filePath(QFileInfo(filePath).absoluteFilePath()), onChange(std::move(onChange)) {
    burst.setSingleShot(true);
    burst.setInterval(burstMilliseconds);
    connect(&burst, &QTimer::timeout, this, [this] { this->onChange(); });
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &SettingsFileWatcher::noticeChange);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &SettingsFileWatcher::noticeChange);
    watch();
}

// The file and its folder; until the folder exists (nothing saved yet), the
// folder above it, where it will appear.
void SettingsFileWatcher::watch() {
    const QString folder = QFileInfo(filePath).absolutePath();
    const QStringList wanted{QFileInfo::exists(folder) ? folder : QFileInfo(folder).absolutePath(), filePath};
    const QStringList watched = watcher.files() + watcher.directories();
    for (const QString& path : watched) {
        if (!wanted.contains(path)) {
            watcher.removePath(path);
        }
    }
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFileInfo::exists(path)) {
            watcher.addPath(path);
        }
    }
}

void SettingsFileWatcher::noticeChange() {
    watch();
    burst.start();
}

} // namespace drowsel
