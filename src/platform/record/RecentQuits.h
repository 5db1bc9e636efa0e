// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/QuitRecord.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace drowsel {

// The last applications Drowsel asked to quit, newest first, kept in
// $XDG_STATE_HOME/Drowsel/recent.json so that they outlive a restart. A file
// that cannot be read is set aside beside itself (".corrupt") and the record
// starts empty; saving is atomic, and a failed save is logged, never fatal.
class RecentQuits : public QObject, public QuitRecord {
    Q_OBJECT
public:
    struct Entry {
        QString name;
        QString desktopEntry; // the path of its desktop entry; empty when it had none
        Date askedAt = 0;

        bool operator==(const Entry&) const = default;
    };

    // Starts the application of a desktop entry; false, with the reason in problem, when it could not.
    using Launcher = std::function<bool(const std::string& entry, std::string& problem)>;

    RecentQuits(Logger log, Launcher launch);
    RecentQuits(QString filePath, Logger log, Launcher launch);

    void add(const ApplicationHandle& application, Date askedAt) override;

    const std::vector<Entry>& entries() const { return recent; }
    // Only an application with a desktop entry can be started again.
    bool canReopen(std::size_t index) const { return index < recent.size() && !recent[index].desktopEntry.isEmpty(); }
    // Starts the application again through its desktop entry; false, logged, when that fails.
    bool reopen(std::size_t index) const;

    static QString defaultFilePath();

    static constexpr std::size_t capacity = 10;

private:
    void load();
    bool parse(const QByteArray& contents);
    void setAside(const QString& reason);
    void save() const;

    QString path;
    Logger log;
    Launcher launch;
    std::vector<Entry> recent;
};

} // namespace drowsel
