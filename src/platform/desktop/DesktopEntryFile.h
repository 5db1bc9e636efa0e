// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>

namespace drowsel {

// The "Desktop Entry" group of one desktop entry file, read as launchers read
// it (freedesktop Desktop Entry rules): only a well-formed UTF-8 file that
// describes an application whose TryExec program is installed is read at all.
// Read directly rather than through GIO: linking GIO and its type system costs
// a resident process over a megabyte of pages for a few keys of a text file.
class DesktopEntryFile {
public:
    static std::optional<DesktopEntryFile> read(const std::string& path);

    // Hidden=true: the entry counts as deleted, and hides those of the same id
    // of lower precedence.
    bool isHidden() const;
    // Name in the user's language ($LANGUAGE, else the messages locale) when the
    // entry has it, else as written; empty when there is none.
    std::string name() const;
    std::optional<std::string> icon() const;
    std::optional<std::string> startupWmClass() const;

private:
    std::optional<std::string> value(const std::string& key) const;
    std::optional<std::string> localisedValue(const std::string& key) const;

    std::map<std::string, std::string, std::less<>> values; // keys as written, "Name[de]" included
};

} // namespace drowsel
