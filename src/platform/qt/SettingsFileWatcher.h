// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QTimer>

#include <functional>

namespace drowsel {

// Tells when the settings file changes from outside, say by a hand edit, so
// that what reads it can read it again. A save that replaces the file, as
// editors and Drowsel itself do, ends a watch on the file alone: the folder is
// watched too, and the new file is watched again. A burst of changes (an
// editor's save touches the folder several times) makes one notice.
class SettingsFileWatcher : public QObject {
public:
    using Callback = std::function<void()>;

    static constexpr int burstMilliseconds = 100;

    SettingsFileWatcher(const QString& filePath, Callback onChange);

private:
    void watch();
    void noticeChange();

    QString filePath;
    Callback onChange;
    QFileSystemWatcher watcher;
    QTimer burst;
};

} // namespace drowsel
