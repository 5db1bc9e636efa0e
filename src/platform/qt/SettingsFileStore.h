// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DefaultsStore.h"
#include "core/Logger.h"

#include <QSettings>

namespace drowsel {

// The settings store as an INI file, by default
// $XDG_CONFIG_HOME/Drowsel/Drowsel.conf. Every read first picks up changes made
// to the file from outside; every write is saved at once, atomically. A value
// of another type than asked for, as a hand-edited file may hold, reads as absent.
// A failed save is logged; the value stays in memory and is saved with the
// next write that succeeds.
class SettingsFileStore : public DefaultsStore {
public:
    explicit SettingsFileStore(Logger log);
    SettingsFileStore(const QString& filePath, Logger log);

    QString filePath() const { return settings.fileName(); }

    std::optional<std::int64_t> integer(const std::string& key) const override;
    std::optional<bool> boolean(const std::string& key) const override;
    std::optional<std::string> data(const std::string& key) const override;

    void setInteger(const std::string& key, std::int64_t value) override;
    void setBoolean(const std::string& key, bool value) override;
    void setData(const std::string& key, const std::string& value) override;

    // Plain text, as a person would write it in the file: empty when absent or of another type.
    QString text(const std::string& key) const;
    void setText(const std::string& key, const QString& value);

private:
    QVariant read(const std::string& key) const;
    void write(const std::string& key, const QVariant& value);

    mutable QSettings settings;
    Logger log;
};

} // namespace drowsel
